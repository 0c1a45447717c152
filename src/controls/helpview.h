#pragma once

#include <QString>
#include <QTextBrowser>

#include <optional>

#include "controls/mhtreader.h"

class QUrl;

// The help screen's page viewer: a QTextBrowser that shows a web archive
// read by our own reader and takes its pictures from the archive's parts,
// never from the disk or the network. Links are not followed (the topic
// tree is the way between pages).
class HelpView : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpView(QWidget* parent = nullptr);

    // The heading of what is shown in place of a page that cannot be shown.
    static QString NotFoundText();

    // Shows the page in `path` (UTF-8). A missing or unreadable page shows
    // NotFoundText, the file name and the reason, and gives false.
    bool ShowPage(const std::string& path);
    // Shows a page already read.
    void ShowDocument(mht::Document document);

    // Why the last page could not be shown; kNone after a page was shown.
    mht::Error LastError() const { return lastError_; }

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::optional<mht::Document> document_;
    mht::Error lastError_ = mht::Error::kNone;
};
