#include "platform/office/office_xml.h"

#include <algorithm>

#include "common/cp1251.h"
#include "common/paths.h"

namespace vk7 {

std::string blankMessage(const std::filesystem::path& file, OfficeKind kind, bool oldBinary) {
    const std::string name = textFromPath(file.filename());
    const bool book = kind == OfficeKind::Workbook;
    if (oldBinary)
        return RU("Бланк ") + name + RU(" в старом двоичном формате. Откройте его в офисной программе и сохраните как ") +
               (book ? ".xlsx" : ".docx");
    return RU("Бланк ") + name + RU(" поврежден или не является ") + (book ? RU("книгой .xlsx") : RU("документом .docx"));
}

namespace office {

std::string packageMessage(const std::filesystem::path& file, OfficeKind kind, const PackageError& error) {
    const std::string name = textFromPath(file.filename());
    switch (error.kind()) {
        case PackageError::Kind::OldBinary: return blankMessage(file, kind, true);
        case PackageError::Kind::TooManyParts:
            return RU("Бланк ") + name + RU(": в нем больше ") + std::to_string(ZipPackage::kMaxParts) + RU(" частей");
        case PackageError::Kind::TooLarge:
            return RU("Бланк ") + name + RU(": в распакованном виде он больше ") +
                   std::to_string(ZipPackage::kMaxUnpackedBytes >> 20) + RU(" МБ");
        case PackageError::Kind::NotPackage: break;
    }
    return blankMessage(file, kind, false);
}

namespace {

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

const char* const kTypesNs = "http://schemas.openxmlformats.org/package/2006/content-types";
const char* const kTypesPart = "[Content_Types].xml";

std::string directoryOf(const std::string& part) {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

pugi::xml_document typesDocument(const ZipPackage& package) {
    pugi::xml_document doc;
    if (!package.has(kTypesPart) || !doc.load_buffer(package.part(kTypesPart).data(), package.part(kTypesPart).size())) {
        doc.reset();
        doc.append_child("Types").append_attribute("xmlns") = kTypesNs;
    }
    return doc;
}

}  // namespace

void parsePart(const ZipPackage& package, const std::string& name, pugi::xml_document& doc, const BlankError& broken) {
    if (!package.has(name)) throw broken;
    const std::string& bytes = package.part(name);
    if (!doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single))
        throw broken;
}

std::string serialize(const pugi::xml_document& doc) {
    StringWriter w;
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return w.out;
}

std::string relsPartOf(const std::string& part) {
    const std::string dir = directoryOf(part);
    return dir + "_rels/" + part.substr(dir.size()) + ".rels";
}

std::string resolveTarget(const std::string& part, const std::string& target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : directoryOf(part) + target;
    // Remove "." and ".." segments.
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string seg = path.substr(start, end - start);
        if (seg == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (const auto& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

std::vector<Relationship> relationships(const ZipPackage& package, const std::string& part, const BlankError& broken) {
    std::vector<Relationship> out;
    const std::string rels = relsPartOf(part);
    if (!package.has(rels)) return out;
    pugi::xml_document doc;
    parsePart(package, rels, doc, broken);
    for (pugi::xml_node r : doc.child("Relationships").children("Relationship")) {
        if (std::string(r.attribute("TargetMode").value()) == "External") continue;
        out.push_back({r.attribute("Id").value(), r.attribute("Type").value(),
                       resolveTarget(part, r.attribute("Target").value())});
    }
    return out;
}

std::string mainPart(const ZipPackage& package, const BlankError& broken) {
    for (const Relationship& r : relationships(package, "", broken))
        if (r.type == kOfficeDocRelType || r.type.ends_with("/officeDocument")) return r.target;
    throw broken;
}

std::string addRelationship(ZipPackage& package, const std::string& part, const std::string& type,
                            const std::string& relativeTarget) {
    const std::string rels = relsPartOf(part);
    pugi::xml_document doc;
    if (!package.has(rels) || !doc.load_buffer(package.part(rels).data(), package.part(rels).size())) {
        doc.reset();
        doc.append_child("Relationships").append_attribute("xmlns") = kRelNs;
    }
    pugi::xml_node root = doc.child("Relationships");
    int n = 1;
    auto taken = [&](const std::string& id) {
        for (pugi::xml_node r : root.children("Relationship"))
            if (id == r.attribute("Id").value()) return true;
        return false;
    };
    while (taken("rId" + std::to_string(n))) ++n;
    const std::string id = "rId" + std::to_string(n);
    pugi::xml_node r = root.append_child("Relationship");
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = type.c_str();
    r.append_attribute("Target") = relativeTarget.c_str();
    package.setPart(rels, serialize(doc));
    return id;
}

void removeRelationships(ZipPackage& package, const std::string& part, const std::string& typeSuffix) {
    const std::string rels = relsPartOf(part);
    if (!package.has(rels)) return;
    pugi::xml_document doc;
    if (!doc.load_buffer(package.part(rels).data(), package.part(rels).size())) return;
    pugi::xml_node root = doc.child("Relationships");
    for (pugi::xml_node r = root.first_child(); r;) {
        pugi::xml_node next = r.next_sibling();
        if (std::string(r.attribute("Type").value()).ends_with(typeSuffix)) root.remove_child(r);
        r = next;
    }
    package.setPart(rels, serialize(doc));
}

void setOverride(ZipPackage& package, const std::string& part, const std::string& contentType) {
    pugi::xml_document doc = typesDocument(package);
    pugi::xml_node root = doc.child("Types");
    const std::string name = "/" + part;
    pugi::xml_node o = root.find_child_by_attribute("Override", "PartName", name.c_str());
    if (!o) {
        o = root.append_child("Override");
        o.append_attribute("PartName") = name.c_str();
        o.append_attribute("ContentType");
    }
    o.attribute("ContentType") = contentType.c_str();
    package.setPart(kTypesPart, serialize(doc));
}

void removeOverride(ZipPackage& package, const std::string& part) {
    pugi::xml_document doc = typesDocument(package);
    pugi::xml_node root = doc.child("Types");
    const std::string name = "/" + part;
    while (pugi::xml_node o = root.find_child_by_attribute("Override", "PartName", name.c_str())) root.remove_child(o);
    package.setPart(kTypesPart, serialize(doc));
}

void setDefault(ZipPackage& package, const std::string& extension, const std::string& contentType) {
    pugi::xml_document doc = typesDocument(package);
    pugi::xml_node root = doc.child("Types");
    for (pugi::xml_node d : root.children("Default"))
        if (equalsNoCaseCp1251(d.attribute("Extension").value(), extension)) return;
    pugi::xml_node d = root.prepend_child("Default");
    d.append_attribute("Extension") = extension.c_str();
    d.append_attribute("ContentType") = contentType.c_str();
    package.setPart(kTypesPart, serialize(doc));
}

std::string xmlText(const std::string& cp1251) {
    std::string kept;
    kept.reserve(cp1251.size());
    for (char c : cp1251)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') kept += c;
    return toUtf8(kept);
}

pugi::xml_node insertInOrder(pugi::xml_node parent, const char* name, const std::vector<std::string>& order) {
    const auto rank = [&](const char* n) {
        auto it = std::find(order.begin(), order.end(), n);
        return it == order.end() ? order.size() : static_cast<size_t>(it - order.begin());
    };
    const size_t mine = rank(name);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && rank(c.name()) > mine && rank(c.name()) < order.size())
            return parent.insert_child_before(name, c);
    return parent.append_child(name);
}

}  // namespace office
}  // namespace vk7
