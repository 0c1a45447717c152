#pragma once

#include <QFrame>

#include <string>

class HelpView;
class QTreeWidget;
class QTreeWidgetItem;

namespace console {

// The help screen (TabSheet6): the topic tree and the page viewer. Each
// topic's page is "help/" + the node's text + ".mht" in the program folder.
class HelpScreen final : public QFrame {
    Q_OBJECT

public:
    explicit HelpScreen(std::string programFolder, QWidget* parent = nullptr);

private:
    void TopicClicked(QTreeWidgetItem* item);

    std::string programFolder_;
    QTreeWidget* TreeView2 = nullptr;
    HelpView* WebBrowser1 = nullptr;
};

}  // namespace console
