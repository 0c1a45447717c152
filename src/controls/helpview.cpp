#include "controls/helpview.h"

#include <QImage>
#include <QTextDocument>
#include <QUrl>

#include <utility>

HelpView::HelpView(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("HelpView");
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QString HelpView::NotFoundText() {
    return QStringLiteral("Страница не найдена");
}

bool HelpView::ShowPage(const std::string& path) {
    mht::Result result = mht::ReadFile(path);
    if (!result.ok()) {
        document_.reset();
        lastError_ = result.error;
        QString text = NotFoundText() + "\n\n" + QString::fromStdString(path) + "\n" +
                       QString::fromStdString(mht::ErrorText(result.error));
        if (!result.detail.empty()) text += " (" + QString::fromStdString(result.detail) + ")";
        setPlainText(text);
        return false;
    }
    ShowDocument(std::move(result.document));
    return true;
}

void HelpView::ShowDocument(mht::Document document) {
    lastError_ = mht::Error::kNone;
    document_ = std::move(document);
    setHtml(QString::fromStdString(document_->page.body));
}

QVariant HelpView::loadResource(int type, const QUrl& name) {
    const mht::Part* part =
        document_ ? document_->Resolve(name.toString(QUrl::FullyEncoded).toStdString()) : nullptr;
    if (part == nullptr && document_) part = document_->Resolve(name.toString().toStdString());
    if (type == QTextDocument::ImageResource) {
        QImage image;
        if (part != nullptr) {
            image.loadFromData(reinterpret_cast<const uchar*>(part->body.data()),
                               static_cast<int>(part->body.size()));
        }
        if (image.isNull()) {
            // A picture that is not in the archive shows as nothing: given a
            // null one, the document would read the name from the disk.
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        return image;
    }
    if (part != nullptr) return QString::fromStdString(part->body);
    return QString();
}
