#include "console/tfbase.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <filesystem>

#include "console/compression_panel.h"
#include "console/extens_window.h"
#include "console/geometry.h"
#include "console/help_screen.h"
#include "console/hold_panel.h"
#include "console/hydraulic_panel.h"
#include "console/keyboard_offer.h"
#include "console/look.h"
#include "console/mode_bar.h"
#include "console/numeric_entry_panel.h"
#include "console/open_panel.h"
#include "console/paramlist.h"
#include "console/password_panel.h"
#include "console/position_panel.h"
#include "console/preview_screen.h"
#include "console/row_choice_panel.h"
#include "console/save_panel.h"
#include "console/service_console.h"
#include "console/settings_screen.h"
#include "console/tension_panel.h"
#include "console/verification_panel.h"
#include "console/work_screen.h"
#include "console/zoom_panel.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/qlm_comex.h"
#include "model/configini.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/random.h"
#include "protocols/creport.h"

TFBase::TFBase(console::ConsoleDeps deps, QWidget* parent)
    : QWidget(parent), deps_(std::move(deps)), panels_(*this, [this] { keyboard_->Hide(); }) {
    setObjectName("TFBase");
    setWindowTitle(QString::fromUtf8("Ворталинец"));
    setWindowFlag(Qt::FramelessWindowHint);
    setMinimumSize(1032, 755);
    resize(console::kNormalWindow.w, console::kNormalWindow.h);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(30, 40, 56));
    setPalette(pal);

    station::StationDeps station;
    station.programFolder = deps_.programFolder;
    station.makeUnit = deps_.makeUnit;
    station.clock = deps_.clock;
    station.random = deps_.random;
    station.messages = deps_.messages;
    station.power = deps_.power;
    // The protocol is drawn on the preview's sheets, made below.
    station.makeReport = [this] { return std::make_unique<C_Report>(previewScreen_->Otchet()); };
    station_ = std::make_unique<station::StationController>(std::move(station));
    keyboard_ = new console::KeyboardOffer(*this, *station_);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    modeBar_ = new console::ModeBar(this);
    connect(modeBar_, &console::ModeBar::modeRequested, this, &TFBase::ModeRequested);
    connect(modeBar_, &console::ModeBar::fullScreenRequested, this, &TFBase::ToggleFullScreen);
    connect(modeBar_, &console::ModeBar::closeRequested, this, &TFBase::FormCloseClick);
    root->addWidget(modeBar_);
    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    BaseTab = new QStackedWidget(this);
    BaseTab->setObjectName("BaseTab");
    workScreen_ = new console::WorkScreen(deps_.power != nullptr);
    WireWorkScreen();
    // The verification table floats over the work screen (tfbase_poverka.cpp).
    verificationPanel_ = new console::VerificationPanel(workScreen_);
    BaseTab->addWidget(workScreen_);
    BaseTab->addWidget(BuildSetupScreen());
    BaseTab->addWidget(BuildSettingsPage());
    BaseTab->addWidget(BuildPreviewPage());
    BaseTab->addWidget(new console::HelpScreen(ProgramDir()));
    AddHelpButton();
    BaseTab->setCurrentIndex(0);
    body->addWidget(BaseTab, 1);
    BuildChrome();
    body->addWidget(Border_Rigth);
    root->addLayout(body, 1);

    BuildManualPanels();
    BuildFilePanels();
    BuildEntryPanels();
    BuildExtensWindow();
    BuildMessager();
    WireStartUp();
    BuildProgramPanels();
    Wire();
    // The cycle count and the samples a network unit pushes.
    station_->Begin();
    // Captions set after the buttons were made widen them now.
    console::FitControls(this, uiScale_);

    setEnabled(false);
    ShowMes("Инициализация устройств...", 3, 0);
    // "SaveTest" beside the executable; a failure shows when saving.
    std::error_code ec;
    std::filesystem::create_directories(platform::JoinPath(ProgramDir(), "SaveTest"), ec);
}

TFBase::~TFBase() {
    // Children die after this object's members: their last signals must not reach it.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    // The unit and its link threads end before the window's widgets go; what
    // the station says meanwhile reaches no widget.
    QObject::disconnect(station_.get(), nullptr, this, nullptr);
    for (QObject* part : station_->findChildren<QObject*>())
        QObject::disconnect(part, nullptr, this, nullptr);
    station_.reset();
}

void TFBase::ShowScreen(int page) {
    if (page != BaseTab->currentIndex()) panels_.CloseAll();
    BaseTab->setCurrentIndex(page);
}

void TFBase::ModeRequested(int code) {
    // In set-up mode the set-up screen shows the work screen, where the test
    // is started; the method and specimen lists are on the set-up and
    // results screen, which no mode shows with them. A tap on "УСТАНОВКА"
    // while in set-up mode therefore goes to those lists, and the next tap
    // back to the work screen.
    if (code == 241 && Work() && Work()->State() == C_Work::kSetUp &&
        BaseTab->currentIndex() == 0) {
        modeBar_->HoldSetUpDown();
        ShowScreen(1);
        return;
    }
    Command(code);
    if (code == 243) Command(48);
}

void TFBase::FitToScreen() {
    fitsScreen_ = true;
    // Sized before its native window exists, so it never shows at another size.
    WatchScreen(screen());
    // The window's handle tells when it moves to another screen.
    if (windowHandle() == nullptr) create();
    if (!screenMove_)
        screenMove_ = connect(windowHandle(), &QWindow::screenChanged, this, &TFBase::WatchScreen);
}

void TFBase::WatchScreen(QScreen* screen) {
    disconnect(screenGeometry_);
    disconnect(screenArea_);
    if (screen == nullptr || !fitsScreen_) return;
    auto refit = [this] {
        if (fitsScreen_) WatchScreen(this->screen());
    };
    screenGeometry_ = connect(screen, &QScreen::geometryChanged, this, refit);
    screenArea_ = connect(screen, &QScreen::availableGeometryChanged, this, refit);
    const QRect free = screen->availableGeometry();
    const QSize min = minimumSize();
    const console::Rect r = console::ScreenFit({free.x(), free.y(), free.width(), free.height()},
                                               {min.width(), min.height()});
    setGeometry(r.x, r.y, r.w, r.h);
}

void TFBase::ToggleFullScreen() {
    if (!fitsScreen_) {
        FitToScreen();
        return;
    }
    fitsScreen_ = false;
    WatchScreen(nullptr);
    if (isMaximized() || isFullScreen()) showNormal();
    resize(console::kNormalWindow.w, console::kNormalWindow.h);
}

void TFBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const double scale = console::UiScale({width(), height()});
    if (scale == uiScale_) return;
    uiScale_ = scale;
    console::FitControls(this, uiScale_);
    if (settingsScreen_ != nullptr) settingsScreen_->CentreShildik(uiScale_);
}

void TFBase::FormCloseClick() {
    keyboard_->Hide();
    ShowMes("Закрыть программу?", 0, 245);
}

void TFBase::MegaButton44Click() {
    ShowMes("Вы действительно хотите выключить систему?", 0, 246);
}

void TFBase::closeEvent(QCloseEvent* event) {
    // A close from outside (the window manager) asks as the close button does.
    if (station_->Ending()) {
        event->accept();
        return;
    }
    event->ignore();
    FormCloseClick();
}

void TFBase::AddHelpButton() {
    // The operator's way to the help screen (code 80), on the mode bar that
    // every screen shows.
    TMegaButton* help =
        console::MakeButton(modeBar_, "MENU_HELP", "СПРАВКА", console::ButtonKind::Push, 150);
    help->OnClick = [this](TMegaButton*) { Command(80); };
    // The settings are left only through their own exit, which stores them.
    connect(BaseTab, &QStackedWidget::currentChanged, help,
            [help](int page) { console::SetButtonEnabled(help, page != 2); });
    modeBar_->AddBeforeFullScreen(help);
}
