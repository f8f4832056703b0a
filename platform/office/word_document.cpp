#include "platform/office/word_document.h"

#include <algorithm>
#include <cstdint>

#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/office_xml.h"

namespace vk7 {

namespace {

const char* const kImageType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";

constexpr int64_t kEmuPerPixel = 9525;  // at 96 pixels per inch
constexpr int64_t kEmuPerTwip = 635;

// Page sizes and margins in twips beyond this (about 17 m) are no page: the default is taken.
constexpr int64_t kMaxTwips = 1000000;

// A size of the blank's section in twips: the attribute when it is one within 0 .. kMaxTwips,
// else `fallback`.
int64_t twips(pugi::xml_attribute a, int64_t fallback) {
    const int64_t v = a.as_llong(fallback);
    return v >= 0 && v <= kMaxTwips ? v : fallback;
}

// The text width of the section (page width less the side margins), in EMU; at least an inch.
int64_t textWidthEmu(pugi::xml_node body) {
    pugi::xml_node sect = body.child("w:sectPr");
    const int64_t page = twips(sect.child("w:pgSz").attribute("w:w"), 11906);
    const int64_t left = twips(sect.child("w:pgMar").attribute("w:left"), 1134);
    const int64_t right = twips(sect.child("w:pgMar").attribute("w:right"), 1134);
    return std::max<int64_t>(page - left - right, 1440) * kEmuPerTwip;
}

}  // namespace

struct WordDocument::Impl {
    ZipPackage package;
    std::string documentPart;
    pugi::xml_document doc;
    pugi::xml_node body;
    pugi::xml_node anchor;     // the blank's first body element: inserted paragraphs go before it
    pugi::xml_node paragraph;  // the paragraph at the insertion point; none after a CR
    int pictures = 0;

    pugi::xml_node currentParagraph() {
        if (!paragraph) paragraph = anchor ? body.insert_child_before("w:p", anchor) : body.append_child("w:p");
        return paragraph;
    }
    void appendText(const std::string& utf8) {
        if (utf8.empty()) return;
        pugi::xml_node t = currentParagraph().append_child("w:r").append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text() = utf8.c_str();
    }
};

WordDocument::WordDocument() : impl_(std::make_unique<Impl>()) {}
WordDocument::WordDocument(WordDocument&&) noexcept = default;
WordDocument& WordDocument::operator=(WordDocument&&) noexcept = default;
WordDocument::~WordDocument() = default;

WordDocument WordDocument::fromBlank(const std::filesystem::path& file) {
    const BlankError broken(blankMessage(file, OfficeKind::Document, false));
    WordDocument d;
    Impl& impl = *d.impl_;
    try {
        impl.package = ZipPackage::read(file);
        impl.documentPart = office::mainPart(impl.package, broken);
        office::parsePart(impl.package, impl.documentPart, impl.doc, broken);
    } catch (const PackageError& e) {
        throw BlankError(office::packageMessage(file, OfficeKind::Document, e));
    }
    impl.body = impl.doc.child("w:document").child("w:body");
    if (!impl.body) throw broken;
    impl.anchor = impl.body.first_child();
    return d;
}

void WordDocument::insert(const std::string& cp1251) {
    std::string pending;
    auto flush = [&] {
        impl_->appendText(office::xmlText(pending));
        pending.clear();
    };
    for (char c : cp1251) {
        if (c == '\r') {
            flush();
            impl_->currentParagraph();
            impl_->paragraph = pugi::xml_node();
        } else if (c == '\t') {
            flush();
            impl_->currentParagraph().append_child("w:r").append_child("w:tab");
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            pending += c;
        }
    }
    flush();
}

void WordDocument::insertPicture(const std::filesystem::path& gif) {
    const std::string bytes = readFileBytes(gif);
    if (bytes.size() < 10 || (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0))
        throw IoError("read", pathForMessage(gif), "not a GIF picture");
    const auto u16 = [&](size_t i) {
        return static_cast<int64_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    int64_t cx = std::max<int64_t>(u16(6), 1) * kEmuPerPixel;
    int64_t cy = std::max<int64_t>(u16(8), 1) * kEmuPerPixel;
    const int64_t width = textWidthEmu(impl_->body);
    if (cx > width) {
        cy = cy * width / cx;
        cx = width;
    }

    Impl& impl = *impl_;
    int n = 1;
    while (impl.package.has("word/media/image" + intText(n) + ".gif")) ++n;
    const std::string name = "image" + intText(n) + ".gif";
    impl.package.setPart("word/media/" + name, bytes);
    office::setDefault(impl.package, "gif", "image/gif");
    const std::string id = office::addRelationship(impl.package, impl.documentPart, kImageType, "media/" + name);

    pugi::xml_node root = impl.doc.child("w:document");
    const std::pair<const char*, const char*> namespaces[] = {
        {"xmlns:r", office::kDocRelNs},
        {"xmlns:wp", "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"},
    };
    for (const auto& [attr, ns] : namespaces)
        if (!root.attribute(attr)) root.append_attribute(attr) = ns;

    const std::string docId = intText(1000 + ++impl.pictures);
    const std::string ext = "cx=\"" + intText(cx) + "\" cy=\"" + intText(cy) + "\"";
    const std::string drawing =
        "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent " + ext +
        "/><wp:docPr id=\"" + docId + "\" name=\"Picture " + docId +
        "\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" noChangeAspect=\"1\"/>"
        "</wp:cNvGraphicFramePr><a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
        "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
        "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:nvPicPr>"
        "<pic:cNvPr id=\"0\" name=\"" + name + "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" +
        id + "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext " +
        ext + "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData>"
        "</a:graphic></wp:inline></w:drawing></w:r>";
    pugi::xml_document fragment;
    fragment.load_buffer(drawing.data(), drawing.size());
    impl.currentParagraph().append_copy(fragment.first_child());
}

std::string WordDocument::bytes() {
    Impl& impl = *impl_;
    // Text left open at the insertion point runs on into the blank's first paragraph.
    if (impl.paragraph && impl.anchor && std::string(impl.anchor.name()) == "w:p") {
        pugi::xml_node after = impl.anchor.child("w:pPr");
        for (pugi::xml_node r = impl.paragraph.first_child(); r; r = r.next_sibling())
            after = after ? impl.anchor.insert_copy_after(r, after) : impl.anchor.prepend_copy(r);
        impl.body.remove_child(impl.paragraph);
        impl.paragraph = pugi::xml_node();
    }
    impl.package.setPart(impl.documentPart, office::serialize(impl.doc));
    return impl.package.bytes();
}

void WordDocument::saveAs(const std::filesystem::path& file) { safeRewrite(file, bytes()); }

}  // namespace vk7
