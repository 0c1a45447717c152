// The test programs' screens: the program sheet with the mode bar's banner
// and the named positions of the plot sheet, wired to the station's program
// (station/station_program.h), which runs the programs and keeps their files.

#include <QComboBox>

#include <optional>

#include "console/keyboard_offer.h"
#include "console/look.h"
#include "console/mode_bar.h"
#include "console/position_panel.h"
#include "console/program_sheet.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "station/station_program.h"

using console::Qs;
using console::TouchFont;

namespace {

void FillChooser(QComboBox* chooser, const std::vector<station::NamedPosition>& rows) {
    chooser->clear();
    for (const station::NamedPosition& row : rows)
        chooser->addItem(Qs(station::PositionEntry(row)), Qs(row.position));
    chooser->setCurrentIndex(chooser->count() > 0 ? 0 : -1);
}

std::optional<station::NamedPosition> Chosen(const QComboBox* chooser) {
    if (chooser->currentIndex() < 0) return std::nullopt;
    return station::NamedPosition{chooser->currentText().toStdString(),
                                  chooser->currentData().toString().toStdString()};
}

}  // namespace

void TFBase::BuildProgramPanels() {
    using P = station::StationProgram;
    P& program = station_->Program();
    console::ProgramSheet::Build(findChild<QWidget*>("ProgramSheet"), ProgramDir())->Bind(program);
    console::ModeBar* bar = modeBar_;
    connect(&program, &P::changed, bar, [bar, &program] {
        const testprogram::ProgramRunner::View& v = program.Runner().view();
        bar->ShowSign(v.bannerShown, v.banner, v.blinkLevel);
    });
    connect(&program, &P::startReleased, &workScreen_->ControlBar(),
            &console::WorkControlBar::ShowNotRunning);

    // ----- named positions
    auto* chooser = findChild<QComboBox*>("ComboBox3");
    chooser->setMinimumHeight(38);
    // Entries read "name - position": the chooser grows to show them whole.
    chooser->setMinimumWidth(180);
    chooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    TouchFont(chooser);
    auto* panel = new console::PositionPanel(this);
    panels_.Add(panel);
    auto togglePanel = [this, panel] {
        if (panels_.Toggle(panel)) panels_.Centre(panel);
    };
    if (auto* open = findChild<TMegaButton*>("BitBtn1"))
        open->OnClick = [togglePanel](TMegaButton*) { togglePanel(); };
    // The chooser shows the table as it is saved, closed or loaded.
    auto fill = [chooser, panel] { FillChooser(chooser, panel->Rows()); };
    connect(panel, &console::PositionPanel::saveRequested, chooser, fill);
    panel->Bind(program);
    connect(&program, &P::positionsLoaded, chooser, fill);
    connect(panel, &console::PositionPanel::closeRequested, chooser, fill);
    connect(panel, &console::PositionPanel::closeRequested, this, togglePanel);
    connect(workScreen_, &console::WorkScreen::goToPositionRequested, &program,
            [chooser, &program] {
                if (const auto row = Chosen(chooser)) program.GoToPosition(*row);
            });

    BindVerificationPanel();
    program.ShowProgram();
}
