#include "platform/qt/help_view.h"

#include <optional>
#include <string>
#include <system_error>

#include <QFileInfo>
#include <QTextDocument>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"

namespace vk7 {

namespace fs = std::filesystem;

namespace {

QString fromCp1251(const std::string& bytes) { return QString::fromStdString(toUtf8(bytes)); }

fs::path pathOfUrl(const QUrl& url) { return fs::path(url.toLocalFile().toStdString()); }

// The file of a page, its name looked up without regard to case in its folder (links may
// spell a name in another case than the file on disk).
fs::path locatePage(const fs::path& file) {
    std::error_code ec;
    if (fs::exists(file, ec)) return file;
    return findNoCase(file.parent_path(), textFromPath(file.filename()));
}

std::optional<std::string> readPage(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    try {
        return readFileBytes(file);
    } catch (const IoError&) {
        return std::nullopt;
    }
}

QString notFoundHtml(const QString& fileName) {
    const QString title = HelpView::notFoundTitle();
    return QStringLiteral("<html><head><title>%1</title></head><body><h3>%1</h3><p>%2</p></body></html>")
        .arg(title.toHtmlEscaped(),
             QString::fromStdString(toUtf8(RU("Страница справки не найдена: "))).toHtmlEscaped() +
                 fileName.toHtmlEscaped());
}

}  // namespace

HelpView::HelpView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QString HelpView::notFoundTitle() {
    return QString::fromStdString(toUtf8(RU("Страница справки не найдена")));
}

void HelpView::showPage(const fs::path& file) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec);
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString((ec ? file : absolute).string()));
    if (url == source()) {
        // The same page again: read it afresh (it may have appeared or changed meanwhile).
        reload();
    } else {
        setSource(url, QTextDocument::HtmlResource);
    }
}

QVariant HelpView::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::HtmlResource) return QTextBrowser::loadResource(type, name);
    lastLoadFound_ = false;
    if (!name.isLocalFile()) return notFoundHtml(name.toString());
    const fs::path wanted = pathOfUrl(name);
    const std::optional<std::string> bytes = readPage(locatePage(wanted));
    if (!bytes) return notFoundHtml(QString::fromStdString(wanted.string()));
    lastLoadFound_ = true;
    return fromCp1251(*bytes);
}

void HelpView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    // Every page of ours is HTML, whatever its name ends with.
    QTextBrowser::doSetSource(name, type == QTextDocument::UnknownResource ? QTextDocument::HtmlResource : type);
    found_ = lastLoadFound_;
    title_ = documentTitle().trimmed();
    if (title_.isEmpty()) title_ = QFileInfo(name.toLocalFile()).fileName();
    emit pageShown(title_);
}

}  // namespace vk7
