// The data zoom panel.

#include "console/zoom_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/paramlist.h"
#include "controls/megabutton.h"
#include "station/station_entry.h"

namespace console {

ZoomPanel::ZoomPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "ZOOMPANEL", 900, 330);
    auto* zoom = new QVBoxLayout(this);
    auto* zoomTitle = new QHBoxLayout;
    zoomTitle->addWidget(MakeLabel(this, "", "ВВЕДИТЕ ДАННЫЕ", 22), 1);
    ZoomClose = MakeButton(this, "ZoomClose", "X", ButtonKind::Push, 60, 44);
    zoomTitle->addWidget(ZoomClose);
    zoom->addLayout(zoomTitle);
    SELECT_DATA = new ParamList(lines_, this);
    SELECT_DATA->setObjectName("SELECT_DATA");
    QFont large = SELECT_DATA->font();
    large.setPixelSize(26);
    SELECT_DATA->setFont(large);
    SELECT_DATA->verticalHeader()->setDefaultSectionSize(46);
    SELECT_DATA->horizontalHeader()->setMinimumSectionSize(260);
    zoom->addWidget(SELECT_DATA, 1);
    SELECT_DATA->OnEdit = [this](int row, const std::string& text) {
        emit edited(group_, row, text);
    };
    ZoomClose->OnClick = [this](TMegaButton*) { emit closeRequested(); };
}

void ZoomPanel::Bind(station::EntryControl& entry) {
    // Connected, not called: an edit committed as the window closes after
    // the station went reaches nothing.
    connect(this, &ZoomPanel::edited, &entry, &station::EntryControl::ZoomEdit);
    connect(&entry, &station::EntryControl::zoomLinesShown, this, &ZoomPanel::ShowLines);
}

void ZoomPanel::Open(int group, const std::vector<std::string>& lines) {
    group_ = group;
    ShowLines(lines);
    zoomFlag_ = true;
    SELECT_DATA->setFocus();
    if (SELECT_DATA->rowCount() > 0) SELECT_DATA->setCurrentCell(0, 1);
}

void ZoomPanel::ShowLines(const std::vector<std::string>& lines) {
    lines_ = lines;
    SELECT_DATA->Reload();
}

void ZoomPanel::Close() {
    hide();
    zoomFlag_ = false;
}

void ZoomPanel::CloseIfOpen() {
    if (!isHidden()) {
        emit closeRequested();
        return;
    }
    zoomFlag_ = false;
}

}  // namespace console
