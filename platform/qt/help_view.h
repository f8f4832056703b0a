// The help view: a text browser over the local help pages (Windows-1251 HTML), following the
// links between them, reporting each page's title, and naming a page that is missing.
#pragma once

#include <filesystem>

#include <QString>
#include <QTextBrowser>
#include <QUrl>

namespace vk7 {

class HelpView : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpView(QWidget* parent = nullptr);

    // Shows the page stored in `file`. A missing or unreadable file shows a short text that
    // names it instead.
    void showPage(const std::filesystem::path& file);

    // The title of the page shown (the not-found text has a title of its own); the page's
    // file name when it has none.
    QString pageTitle() const { return title_; }
    // False while the not-found text is shown.
    bool pageFound() const { return found_; }

    // The title of the not-found text.
    static QString notFoundTitle();

signals:
    // After every page shown, also after a link was followed.
    void pageShown(const QString& title);

protected:
    // Pages are read here: Windows-1251 bytes decoded with the program's own code page
    // table, a file looked up without regard to case, a missing one replaced by the
    // not-found text.
    QVariant loadResource(int type, const QUrl& name) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QString title_;
    bool found_ = false;
    bool lastLoadFound_ = false;
};

}  // namespace vk7
