#include "window/frm_stopwatch.h"

#include "common/checked_math.h"
#include "common/failure.h"
#include "dial/dial_drawing.h"
#include "dial/dial_view.h"
#include "dial/hand_color.h"
#include "display/frame_table.h"
#include "display/time_formats.h"
#include "platform/cursor_confinement.h"
#include "platform/regular_file.h"
#include "platform/screen_metrics.h"
#include "platform/sound_player.h"
#include "platform/tick_counter.h"
#include "platform/window_stacking.h"
#include "platform/x11_connection.h"
#include "resources/artwork.h"
#include "window/lap_list_model.h"
#include "window/lap_list_view.h"
#include "window/settings.h"
#include "window/time_label.h"
#include "window/timed_push_button.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QRawFont>
#include <QScreen>
#include <QWindow>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

namespace tovira {
namespace {

constexpr auto kDesignCaption = u"Toviraｽﾄｯﾌﾟｳｫｯﾁ";
constexpr auto kStoppedStart = u"スタート";
constexpr auto kStoppedLap = u"リセット";
constexpr auto kRunningStart = u"ストップ";
constexpr auto kRunningLap = u"ラップ";
// Half-width and full-width cells of this font are exactly 1:2, so the lap columns line up.
constexpr auto kJapaneseFont = "IPAGothic";

QFont JapaneseFont(double points) {
  QFont font(QString::fromLatin1(kJapaneseFont));
  font.setPointSizeF(points);
  return font;
}

void PaintBackground(QWidget* widget, QColor background, std::optional<QColor> text = std::nullopt) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Button, background);
  if (text) palette.setColor(QPalette::WindowText, *text);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

MouseButton ButtonNumber(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::Other;
  }
}

// A menu choice or a mouse press must never let a fault reach the event loop. The
// operations that report their own faults already did; for the others a user's
// choice ends silently, as it has no guard above it.
template <class Operation>
void EndSilentlyOnFault(Operation&& op) noexcept {
  try {
    op();
  } catch (const std::exception&) {
  }
}

// An option with a choice of values: only the values its menu items stand for are
// taken; the items' marks are set first, in their order, and the option last.
void SetOption(std::int32_t value, std::initializer_list<std::pair<QAction*, std::int32_t>> items,
               std::int32_t& option) {
  if (std::none_of(items.begin(), items.end(), [&](const auto& item) { return item.second == value; })) return;
  for (const auto& [action, itemValue] : items) action->setChecked(itemValue == value);
  option = value;
}

// Alt alone opens the menu bar for the keyboard, as desktop menu bars do. While the
// stopwatch runs the pointer cannot reach the menus; the keyboard still can.
class MenuBarStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

frmStopwatch::frmStopwatch(PlatformServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      numberLocale_(NumberLocale()),
      // The dial's artwork at the screen's pixel density, so it is drawn sharp there.
      dial_(DialFaceImage(devicePixelRatioF()), DigitStripImage(devicePixelRatioF()), ScreenTwipsPerPixel()) {
  setObjectName(QStringLiteral("frmStopwatch"));
  setWindowTitle(QString::fromUtf16(kDesignCaption));
  setWindowIcon(WindowIcon());
  createMenus();
  createControls();

  const auto tpp = twipsPerPixel();
  const QSize client(tpp.toPixelsX(design::kClientArea.width), tpp.toPixelsY(design::kClientArea.height));
  client_->setMinimumSize(client.width(), 0);
  resize(client.width(), menuBar()->sizeHint().height() + client.height());
  setFixedWidth(client.width());
}

frmStopwatch::~frmStopwatch() = default;

void frmStopwatch::createControls() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("clientArea"));
  PaintBackground(client_, Qt::white);
  setCentralWidget(client_);

  // Creation order and names as the window defines them.
  imgNumber_ = new QLabel(client_);
  imgNumber_->setObjectName(QStringLiteral("imgNumber"));
  imgNumber_->setPixmap(QPixmap::fromImage(DigitStripImage()));
  imgNumber_->hide();
  place(imgNumber_, design::kImgNumber);

  // The push buttons are painted in their own colours, whatever the desktop's style.
  QStyle* buttonStyle = QStyleFactory::create(QStringLiteral("Fusion"));
  buttonStyle->setParent(this);
  auto makeButton = [&](const char* name, const char16_t* caption, std::uint32_t bgr,
                        void (frmStopwatch::*click)(InputTime)) {
    auto* button = new TimedPushButton(QString::fromUtf16(caption), client_);
    button->setObjectName(QString::fromLatin1(name));
    button->setStyle(buttonStyle);
    button->setFont(JapaneseFont(10.5));
    PaintBackground(button, ColorFromBgr(bgr));
    connect(button, &QPushButton::clicked, this, [this, button, click] { (this->*click)(button->inputTime()); });
    return button;
  };

  cmdLap_ = makeButton("cmdLap", kStoppedLap, 0x0080FF80, &frmStopwatch::cmdLapClick);

  tmrClock_ = new QTimer(this);
  tmrClock_->setObjectName(QStringLiteral("tmrClock"));
  // It runs only while the stopwatch runs, each event setting the next at the screen's pace.
  tmrClock_->setTimerType(Qt::PreciseTimer);
  tmrClock_->setSingleShot(true);
  connect(tmrClock_, &QTimer::timeout, this, &frmStopwatch::tmrClockTimer);

  lapModel_ = new LapListModel(this);
  lstLap_ = new LapListView(client_);
  lstLap_->setObjectName(QStringLiteral("lstLap"));
  lstLap_->setModel(lapModel_);
  lstLap_->setFont(JapaneseFont(15.75));
  chooseLapStandIns();
  connect(lstLap_, &LapListView::mousePressed, this,
          [this](QMouseEvent* event) { HandleMouse(PressTarget::LapList, *event); });
  connect(lstLap_, &LapListView::mouseDoubleClicked, this,
          [this](QMouseEvent* event) { HandleMouse(PressTarget::LapList, *event); });

  cmdStart_ = makeButton("cmdStart", kStoppedStart, 0x0080FFFF, &frmStopwatch::cmdStartClick);

  imgWatch_ = new DialView(client_);
  imgWatch_->setObjectName(QStringLiteral("imgWatch"));
  imgWatch_->setSurface(&dial_);
  imgWatch_->setFocusPolicy(Qt::TabFocus);
  imgWatch_->installEventFilter(this);

  lblTime_ = new TimeLabel(QStringLiteral("Label1"), client_);
  lblTime_->setObjectName(QStringLiteral("lblTime"));
  lblTime_->setFont(JapaneseFont(18));
  PaintBackground(lblTime_, Qt::black, Qt::white);
  lblTime_->installEventFilter(this);

  client_->installEventFilter(this);
  describeForAssistiveTechnology();

  // Tab order: lblTime, cmdStart, cmdLap, lstLap, imgWatch (imgNumber is hidden).
  setTabOrder(cmdStart_, cmdLap_);
  setTabOrder(cmdLap_, lstLap_);
  setTabOrder(lstLap_, imgWatch_);
  placeAll();
}

// Screen readers announce the label's text, the buttons' captions, the list's lines
// and the time the dial's hand shows; each control also says what it is for.
void frmStopwatch::describeForAssistiveTechnology() {
  imgNumber_->setAccessibleName(QStringLiteral("Digit strip"));
  imgNumber_->setAccessibleDescription(QStringLiteral("The digits the dial's second labels are made of"));
  lblTime_->setAccessibleDescription(QStringLiteral("Elapsed time in seconds"));
  cmdStart_->setAccessibleDescription(QStringLiteral("Starts the stopwatch, or stops it while it runs"));
  cmdLap_->setAccessibleDescription(QStringLiteral("Records a lap while running; clears all times while stopped"));
  lstLap_->setAccessibleName(QStringLiteral("Lap times"));
  lstLap_->setAccessibleDescription(QStringLiteral("Every recorded time, oldest first, in the chosen display mode"));
  imgWatch_->setAccessibleDescription(QStringLiteral("Analog dial; the hand steps in frames of 1/24 second"));
  announceDialTime(0);
}

void frmStopwatch::announceDialTime(std::int32_t elapsed) {
  imgWatch_->setLiveAccessibleName(QStringLiteral("Dial at %1 seconds").arg(FormatSeconds(elapsed, numberLocale_)));
}

QAction* frmStopwatch::addMenuItem(QMenu* menu, QStringView name, const QString& caption, bool checked,
                                   bool enabled, void (frmStopwatch::*click)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(name.toString());
  item->setCheckable(checked);
  item->setChecked(checked);
  item->setEnabled(enabled);
  if (click) {
    // The program's operations own the check marks: undo the toolkit's own toggle
    // before the Click runs, so every Click sees the marks as they stood.
    connect(item, &QAction::triggered, this, [this, item, click](bool checkedNow) {
      if (item->isCheckable()) item->setChecked(!checkedNow);
      EndSilentlyOnFault([&] { (this->*click)(); });
    });
  }
  return item;
}

void frmStopwatch::createMenus() {
  auto* menuStyle = new MenuBarStyle;
  menuStyle->setParent(menuBar());
  menuBar()->setStyle(menuStyle);
  auto submenu = [](QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
  };
  auto topMenu = [this](const char* name, const QString& caption) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
  };

  QMenu* file = topMenu("mnuFile", QStringLiteral("Arch"));
  addMenuItem(file, u"mnuQuit", QStringLiteral("Cerr"), false, true, &frmStopwatch::mnuQuitClick);

  QMenu* setting = topMenu("mnuSetting", QStringLiteral("Conf"));
  QMenu* behavior = submenu(setting, "mnuBehaviorMode", QStringLiteral("Modo    "));
  mnuBehaviorNormal_ = addMenuItem(behavior, u"mnuBehaviorNormal", QStringLiteral("Norm"), true, true,
                                   &frmStopwatch::mnuBehaviorNormalClick);
  mnuBehaviorLap_ = addMenuItem(behavior, u"mnuBehaviorLap", QStringLiteral("Lap     "), true, true,
                                &frmStopwatch::mnuBehaviorLapClick);
  QMenu* sound = submenu(setting, "mnuSound", QStringLiteral("Sonido"));
  mnuSoundOn_ = addMenuItem(sound, u"mnuSoundOn", QStringLiteral("On  "), true, true, &frmStopwatch::mnuSoundOnClick);
  mnuSoundOff_ =
      addMenuItem(sound, u"mnuSoundOff", QStringLiteral("Off   "), true, true, &frmStopwatch::mnuSoundOffClick);
  QMenu* show = submenu(setting, "mnuShowWatch", QStringLiteral("Ver "));
  mnuShowButton_ =
      addMenuItem(show, u"mnuShowButton", QStringLiteral("Btn "), true, true, &frmStopwatch::mnuShowButtonClick);
  mnuShowDigitalWatch_ = addMenuItem(show, u"mnuShowDigitalWatch", QStringLiteral("Digital "), true, true,
                                     &frmStopwatch::mnuShowDigitalWatchClick);
  mnuShowAnalogWatch_ = addMenuItem(show, u"mnuShowAnalogWatch", QStringLiteral("Analogo"), true, true,
                                    &frmStopwatch::mnuShowAnalogWatchClick);
  QMenu* modes = submenu(setting, "mnuShowMode", QStringLiteral("Marcadores  "));
  constexpr std::array<void (frmStopwatch::*)(), 4> renderers{
      &frmStopwatch::mnuShowSecClick, &frmStopwatch::mnuShowHMSClick, &frmStopwatch::mnuShowFrame24Click,
      &frmStopwatch::mnuShowSSKClick};
  for (std::size_t i = 0; i < DisplayModes().size(); ++i) {
    const auto& info = DisplayModes()[i];
    mnuShowModeItems_[i] = addMenuItem(modes, info.menuItemName, info.menuCaption.toString(), true, true, renderers[i]);
  }
  QMenu* scale = submenu(setting, "mnuSecond", QStringLiteral("Duracion "));
  mnu6Sec_ = addMenuItem(scale, u"mnu6Sec", QStringLiteral("6不"), true, true, &frmStopwatch::mnu6SecClick);
  mnu10Sec_ = addMenuItem(scale, u"mnu10Sec", QStringLiteral("10不"), true, false, &frmStopwatch::mnu10SecClick);
  mnu30Sec_ = addMenuItem(scale, u"mnu30Sec", QStringLiteral("30不"), true, false, &frmStopwatch::mnu30SecClick);

  QMenu* stacking = topMenu("mnuWindowApearance", QStringLiteral("Window"));
  mnuWindowApearanceNormal_ = addMenuItem(stacking, u"mnuWindowApearanceNormal", QStringLiteral("Normal  "), true,
                                          true, &frmStopwatch::mnuWindowApearanceNormalClick);
  mnuWindowApearanceFront_ = addMenuItem(stacking, u"mnuWindowApearanceFront", QStringLiteral("Encima de Todo"), true,
                                         true, &frmStopwatch::mnuWindowApearanceFrontClick);

  QMenu* help = topMenu("mnuHelp", QStringLiteral("Trad"));
  addMenuItem(help, u"mnuShowHelp", QStringLiteral("Crew"), false, false, nullptr);
}

void frmStopwatch::setNumberLocale(const QLocale& locale) {
  numberLocale_ = locale;
  chooseLapStandIns();
}

// The lines are laid out in cells of the list's font, a digit's width each. A
// separator that the font lacks (another font would draw it) or draws wider or
// narrower than that is shown as a stand-in of the same meaning that it does draw
// one cell wide, so that long times stand under short ones.
void frmStopwatch::chooseLapStandIns() {
  const QRawFont font = QRawFont::fromFont(lstLap_->font());
  const auto advance = [&](QChar c) -> std::optional<qreal> {
    if (!font.supportsCharacter(c)) return std::nullopt;
    const QList<QPointF> advances = font.advancesForGlyphIndexes(font.glyphIndexesForString(QString(c)));
    return advances.size() == 1 ? std::optional(advances.front().x()) : std::nullopt;
  };
  const std::optional<qreal> cell = advance(QLatin1Char('0'));
  const auto drawsOneCell = [&](QChar c) { return cell && advance(c) == cell; };
  QHash<QChar, QChar> standIns;
  for (const QChar separator : numberLocale_.groupSeparator() + numberLocale_.decimalPoint()) {
    if (drawsOneCell(separator)) continue;
    for (const char16_t candidate : SeparatorStandIns(separator.unicode())) {
      if (drawsOneCell(QChar(candidate))) {
        standIns.insert(separator, QChar(candidate));
        break;
      }
    }
  }
  lapModel_->setStandIns(std::move(standIns));
}

// ---- Geometry -------------------------------------------------------------------------------

TwipsPerPixel frmStopwatch::twipsPerPixel() const { return ScreenTwipsPerPixel(this); }

void frmStopwatch::place(QWidget* control, const TwipsRect& rect) {
  const auto tpp = twipsPerPixel();
  control->setGeometry(tpp.toPixelsX(rect.left), tpp.toPixelsY(rect.top), tpp.toPixelsX(rect.width),
                       tpp.toPixelsY(rect.height));
}

void frmStopwatch::placeAll() {
  place(cmdLap_, cmdLapRect_);
  place(lstLap_, lstLapRect_);
  place(cmdStart_, cmdStartRect_);
  place(imgWatch_, imgWatchRect_);
  place(lblTime_, lblTimeRect_);
}

// ---- Stopwatch commands ---------------------------------------------------------------------

void frmStopwatch::setButtonCaptions() {
  const bool running = state_.stopwatch.IsRunning;
  cmdStart_->setText(QString::fromUtf16(running ? kRunningStart : kStoppedStart));
  cmdLap_->setText(QString::fromUtf16(running ? kRunningLap : kStoppedLap));
}

std::uint32_t frmStopwatch::readTicks(InputTime inputTime) {
  if (!inputTime) return services_.ticks.timeGetTime();
  // Both clocks read back to back, so the event's age on one carries over to the other.
  const std::uint32_t inputNow = services_.ticks.inputClockNow();
  return TickAtInput(services_.ticks.timeGetTime(), inputNow, *inputTime);
}

void frmStopwatch::cmdStartClick(InputTime inputTime) {
  Guarded(ErrorCode::StartClick, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (!sw.IsRunning) {
      sw.Start(readTicks(inputTime));
      timerFaultReported_ = false;
      setButtonCaptions();
      startRefresh();
      services_.cursor.release();
      services_.cursor.confine(clientAreaOnScreen());
      if (state_.options.PlaySound == 1) {
        if (state_.TickSound.empty()) RaiseFault("no tick sound");
        services_.sound.playLoop(state_.TickSound);
      }
    } else {
      RecordStop(inputTime);
      sw.IsRunning = false;
      tmrClock_->stop();
      setButtonCaptions();
      services_.cursor.release();
      services_.sound.stop();
    }
  });
}

// The client area below the menu bar in the screen's own pixels. Taken from where
// the area really is rather than from the frame's size, since window managers give
// frames bottom edges thicker than their sides. The window's place comes from the
// window system itself: on a desktop whose monitors have different scale factors,
// the toolkit's logical coordinates scaled by one factor are right for one monitor only.
QRect frmStopwatch::clientAreaOnScreen() const {
  const qreal ratio = devicePixelRatioF();
  const QPoint inWindow = client_->mapTo(this, QPoint(0, 0));
  const QPoint windowOrigin = x11::RootOrigin(windowHandle()).value_or(mapToGlobal(QPoint(0, 0)) * ratio);
  return QRect(windowOrigin + QPoint(qRound(inWindow.x() * ratio), qRound(inWindow.y() * ratio)),
               QSize(qRound(client_->width() * ratio), qRound(client_->height() * ratio)));
}

// Once per refresh of the screen the window is on, and only while the window is
// shown: a screen shows no more, and a stopped stopwatch has no timer at all.
void frmStopwatch::startRefresh() {
  const QScreen* shownOn = screen();
  refreshHertz_ = shownOn ? shownOn->refreshRate() : 0.0;
  if (shownOnScreen()) scheduleRefresh();
}

bool frmStopwatch::shownOnScreen() const {
  const QWindow* native = windowHandle();
  return native != nullptr && native->isExposed();
}

// Minimised, on another workspace or unmapped, the window shows nothing, so the
// refresh rests; shown again, it catches up with the time at once.
void frmStopwatch::followExposure() {
  if (!state_.stopwatch.IsRunning || timerFaultReported_) return;
  if (!shownOnScreen()) {
    tmrClock_->stop();
  } else if (!tmrClock_->isActive()) {
    tmrClockTimer();
  }
}

void frmStopwatch::scheduleRefresh() {
  const std::uint32_t sinceStart =
      services_.ticks.timeGetTime() - static_cast<std::uint32_t>(state_.stopwatch.StartTick);
  tmrClock_->start(NextRefreshDelayMs(refreshHertz_, sinceStart));
}

void frmStopwatch::RecordStop(InputTime inputTime) {
  Guarded(ErrorCode::RecordStop, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (!sw.IsRunning) return;
    const std::int32_t elapsed = sw.Elapsed(readTicks(inputTime));
    sw.LapTimes.push_back(elapsed);
    RenderCurrentMode();
    sw.AccumulatedTime = elapsed;
  });
}

void frmStopwatch::cmdLapClick(InputTime inputTime) {
  Guarded(ErrorCode::LapClick, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (sw.IsRunning) {
      sw.LapTimes.push_back(sw.Elapsed(readTicks(inputTime)));
      RenderCurrentMode();
      return;
    }
    lapModel_->clear();
    renderedMode_.reset();
    sw.Clear();
    timerFaultReported_ = false;
    lblTime_->setText(FormatSeconds(0, numberLocale_));
    ResetDial();
  });
}

void frmStopwatch::ResetDial() {
  dial_.clear();
  for (std::int32_t n = 1; n <= 6; ++n) DrawDialNumber(dial_, n);
  DrawDialHand(dial_, 0, handSettings());
  announceDialTime(0);
  imgWatch_->update();
}

void frmStopwatch::tmrClockTimer() {
  const auto& sw = state_.stopwatch;
  if (!sw.IsRunning || timerFaultReported_) return;
  const bool ok = Guarded(ErrorCode::ClockTimer, [this, &sw] {
    const std::int32_t elapsed = sw.Elapsed(services_.ticks.timeGetTime());
    if (state_.options.ShowDigital == 1) lblTime_->setText(FormatSeconds(elapsed, numberLocale_));
    if (state_.options.ShowAnalog == 1) refreshDialIfChanged(elapsed);
  });
  // A fault here would repeat on every event: report it once, and rest until the next Start.
  if (!ok) {
    timerFaultReported_ = true;
    return;
  }
  if (shownOnScreen()) scheduleRefresh();
}

void frmStopwatch::refreshDialIfChanged(std::int32_t elapsed) {
  // The labels around the current second reach from 2 s before it to 3 s after it.
  CheckedAdd(elapsed, 3000);
  CheckedSub(elapsed, 2000);
  const HandSettings hand = handSettings();
  std::optional<DialComposition> wanted;
  if (elapsed >= 0) {
    wanted = DialComposition{elapsed / 1000,      FrameIndexAt(elapsed % 1000), hand.analogScale,
                             hand.handColor,      hand.areaWidthTwips,         hand.areaHeightTwips,
                             dial_.lineWidth(),   dial_.generation()};
  }
  if (wanted && wanted == composedDial_) return;
  const QImage before = dial_.image();  // shared, not copied: the drawing below detaches the surface's
  RefreshDial(dial_, elapsed, hand);
  announceDialTime(elapsed);
  if (wanted) wanted->generation = dial_.generation();
  composedDial_ = wanted;
  imgWatch_->update(ChangedArea(before, dial_.image()));
}

// On a screen of another pixel density the dial is drawn afresh at that density,
// from the stopwatch's state as a full refresh draws it, rather than enlarged or shrunk.
void frmStopwatch::followPixelRatio() {
  const qreal ratio = devicePixelRatioF();
  if (ratio == dial_.devicePixelRatio()) return;
  dial_ = DialSurface(DialFaceImage(ratio), DigitStripImage(ratio), ScreenTwipsPerPixel());
  composedDial_.reset();
  // The window manager holds the window to the fixed width it was told in the old
  // screen's pixels, and the toolkit keeps the window's size in those pixels, which
  // would halve or double it: both are told again in the new screen's pixels.
  const QSize logicalSize = size();
  const int width = minimumWidth();
  setMinimumWidth(0);
  setMaximumWidth(QWIDGETSIZE_MAX);
  setFixedWidth(width);
  if (QWindow* native = windowHandle()) native->resize(logicalSize);
  EndSilentlyOnFault([this] {
    RefreshDial(dial_, state_.stopwatch.Elapsed(services_.ticks.timeGetTime()), handSettings());
  });
  imgWatch_->update();
}

HandSettings frmStopwatch::handSettings() const {
  return HandSettings{state_.options.AnalogScale, state_.HandColor, imgWatchRect_.width, imgWatchRect_.height};
}

// ---- Display modes --------------------------------------------------------------------------

void frmStopwatch::SetDisplayMode(std::int32_t mode) {
  const auto displayMode = DisplayModeFromNumber(mode);
  if (!displayMode) return;
  setWindowTitle(WindowCaption(*displayMode));
  for (std::size_t i = 0; i < DisplayModes().size(); ++i) {
    mnuShowModeItems_[i]->setChecked(DisplayModes()[i].mode == *displayMode);
  }
  state_.options.LapType = mode;
}

void frmStopwatch::RenderLapList(DisplayMode mode) {
  Guarded(InfoOf(mode).rendererError, [this, mode] {
    SetDisplayMode(static_cast<std::int32_t>(mode));
    const auto& records = state_.stopwatch.LapTimes;
    if (records.empty()) return;
    // Lines already shown in this mode stay as they are; only new records are formatted.
    std::size_t first = 0;
    if (renderedMode_ == mode && std::cmp_less_equal(lapModel_->rowCount(), records.size())) {
      first = static_cast<std::size_t>(lapModel_->rowCount());
    } else {
      lapModel_->clear();
    }
    renderedMode_.reset();
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(records.size() - first));
    for (std::size_t i = first; i < records.size(); ++i) lines.append(LapLine(mode, records[i], numberLocale_));
    lapModel_->addLines(std::move(lines));
    renderedMode_ = mode;
    const QModelIndex newest = lapModel_->index(lapModel_->rowCount() - 1);
    lstLap_->selectionModel()->setCurrentIndex(newest, QItemSelectionModel::ClearAndSelect);
    lstLap_->scrollTo(newest);
  });
}

void frmStopwatch::RenderCurrentMode() {
  if (const auto mode = DisplayModeFromNumber(state_.options.LapType)) RenderLapList(*mode);
}

void frmStopwatch::mnuShowSecClick() { RenderLapList(DisplayMode::Sec); }
void frmStopwatch::mnuShowHMSClick() { RenderLapList(DisplayMode::HMS); }
void frmStopwatch::mnuShowFrame24Click() { RenderLapList(DisplayMode::Frame24); }
void frmStopwatch::mnuShowSSKClick() { RenderLapList(DisplayMode::SSK); }

// ---- Dial options ---------------------------------------------------------------------------

void frmStopwatch::SetDialScale(std::int32_t scale) {
  SetOption(scale, {{mnu6Sec_, 1}, {mnu10Sec_, 2}, {mnu30Sec_, 3}}, state_.options.AnalogScale);
}

void frmStopwatch::mnu6SecClick() { SetDialScale(1); }
void frmStopwatch::mnu10SecClick() { SetDialScale(2); }
void frmStopwatch::mnu30SecClick() { SetDialScale(3); }

void frmStopwatch::mnuShowAnalogWatchClick() {
  Guarded(ErrorCode::ShowAnalogWatch, [this] {
    mnuShowAnalogWatch_->setChecked(!mnuShowAnalogWatch_->isChecked());
    if (mnuShowAnalogWatch_->isChecked()) {
      DrawDialHand(dial_, state_.stopwatch.AccumulatedTime, handSettings());
      announceDialTime(state_.stopwatch.AccumulatedTime);
      imgWatch_->setVisible(true);
      state_.options.ShowAnalog = 1;
    } else {
      imgWatch_->setVisible(false);
      state_.options.ShowAnalog = 0;
    }
    ArrangeControls();
  });
}

void frmStopwatch::mnuShowDigitalWatchClick() {
  Guarded(ErrorCode::ShowDigitalWatch, [this] {
    mnuShowDigitalWatch_->setChecked(!mnuShowDigitalWatch_->isChecked());
    const bool shown = mnuShowDigitalWatch_->isChecked();
    lblTime_->setVisible(shown);
    state_.options.ShowDigital = shown ? 1 : 0;
    ArrangeControls();
  });
}

// ---- Layout and stacking --------------------------------------------------------------------

void frmStopwatch::ArrangeControls() {
  Guarded(ErrorCode::ArrangeControls, [this] {
    const auto& o = state_.options;
    if (const auto tops = StackingFor(o.Showbutton, o.ShowDigital, o.ShowAnalog)) {
      imgWatchRect_.top = tops->imgWatch;
      lblTimeRect_.top = tops->lblTime;
      cmdStartRect_.top = tops->buttons;
      cmdLapRect_.top = tops->buttons;
      lstLapRect_.top = tops->lstLap;
      placeAll();
    }
    FormResize();
  });
}

void frmStopwatch::FormResize() {
  Guarded(ErrorCode::Resize, [this] {
    lstLapRect_.height = LapListHeight(twipsPerPixel().toTwipsY(client_->height()), lstLapRect_.top);
    place(lstLap_, lstLapRect_);
  });
}

void frmStopwatch::mnuShowButtonClick() {
  mnuShowButton_->setChecked(!mnuShowButton_->isChecked());
  const bool shown = mnuShowButton_->isChecked();
  cmdStart_->setVisible(shown);
  cmdLap_->setVisible(shown);
  state_.options.Showbutton = shown ? 1 : 0;
  ArrangeControls();
}

void frmStopwatch::SetWindowFront(std::int32_t mode) {
  SetOption(mode, {{mnuWindowApearanceNormal_, 0}, {mnuWindowApearanceFront_, 1}}, state_.options.WindowForceFront);
}

// The window keeps its place and size: only its stacking band changes.
void frmStopwatch::mnuWindowApearanceFrontClick() {
  SetWindowFront(1);
  services_.stacking.setAlwaysOnTop(*this, true);
}

void frmStopwatch::mnuWindowApearanceNormalClick() {
  SetWindowFront(0);
  services_.stacking.setAlwaysOnTop(*this, false);
}

// ---- Behaviour and sound options ------------------------------------------------------------

void frmStopwatch::SetBehaviorMode(std::int32_t mode) {
  SetOption(mode, {{mnuBehaviorNormal_, 0}, {mnuBehaviorLap_, 1}}, state_.options.BehaviorMode);
}

void frmStopwatch::SetSoundMode(std::int32_t mode) {
  SetOption(mode, {{mnuSoundOff_, 0}, {mnuSoundOn_, 1}}, state_.options.PlaySound);
}

void frmStopwatch::mnuBehaviorNormalClick() { SetBehaviorMode(0); }
void frmStopwatch::mnuBehaviorLapClick() { SetBehaviorMode(1); }
void frmStopwatch::mnuSoundOnClick() { SetSoundMode(1); }
void frmStopwatch::mnuSoundOffClick() { SetSoundMode(0); }

// ---- Mouse input ----------------------------------------------------------------------------

void frmStopwatch::runCommand(Command command, InputTime inputTime) {
  switch (command) {
    case Command::StartClick: cmdStartClick(inputTime); break;
    case Command::LapClick: cmdLapClick(inputTime); break;
    case Command::ShowButtonClick: mnuShowButtonClick(); break;
  }
}

void frmStopwatch::HandlePress(PressTarget target, MouseButton button, InputTime inputTime) {
  const InputState input{state_.options.BehaviorMode, state_.stopwatch.IsRunning, mnuShowButton_->isChecked()};
  for (const Command command : CommandsForPress(target, button, input)) runCommand(command, inputTime);
}

void frmStopwatch::HandleDoubleClick(InputTime inputTime) {
  const InputState input{state_.options.BehaviorMode, state_.stopwatch.IsRunning, mnuShowButton_->isChecked()};
  for (const Command command : CommandsForDoubleClick(input)) runCommand(command, inputTime);
}

std::optional<PressTarget> frmStopwatch::pressTargetOf(const QObject* watched) const {
  if (watched == client_) return PressTarget::Background;
  if (watched == lblTime_) return PressTarget::TimeLabel;
  if (watched == imgWatch_) return PressTarget::Dial;
  return std::nullopt;
}

void frmStopwatch::HandleMouse(PressTarget target, const QMouseEvent& event) {
  EndSilentlyOnFault([&] {
    // Only the left button double-clicks; any other second press is a press.
    const auto inputTime = static_cast<std::uint32_t>(event.timestamp());
    if (event.type() == QEvent::MouseButtonDblClick && event.button() == Qt::LeftButton) {
      HandleDoubleClick(inputTime);
    } else {
      HandlePress(target, ButtonNumber(event.button()), inputTime);
    }
  });
}

bool frmStopwatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Expose && watched == windowHandle()) {
    followExposure();
    return false;
  }
  if (watched == client_ && event->type() == QEvent::Resize) {
    FormResize();
    return false;
  }
  const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  const auto target = mouse ? pressTargetOf(watched) : std::nullopt;
  if (!target) return QMainWindow::eventFilter(watched, event);
  const auto& mouseEvent = *static_cast<QMouseEvent*>(event);
  // A press that a control leaves alone (a push button's right press, a press on the
  // list's frame) travels on to the client area: it is the control's, and does nothing.
  const bool leftByControl = *target == PressTarget::Background && client_->childAt(mouseEvent.position().toPoint());
  if (!leftByControl) HandleMouse(*target, mouseEvent);
  return true;  // handled here, and not again by the window below
}

// ---- Start-up and shut-down -----------------------------------------------------------------

void frmStopwatch::Load() {
  Guarded(ErrorCode::Load, [this] {
    auto& o = state_.options;
    setWindowTitle(kBaseWindowCaption.toString());
    lblTime_->setText(FormatSeconds(0, numberLocale_));
    state_.stopwatch = Stopwatch{};
    LoadSettings(o, services_.programDirectory);
    SetDisplayMode(o.LapType);
    SetDialScale(o.AnalogScale);
    SetWindowFront(o.WindowForceFront);
    if (o.WindowForceFront == 1) services_.stacking.setAlwaysOnTop(*this, true);
    ReadTickSound();
    const auto tpp = twipsPerPixel();
    imgWatchRect_.width = static_cast<float>(kDialFaceSize * tpp.x);
    imgWatchRect_.height = static_cast<float>(kDialFaceSize * tpp.y);
    place(imgWatch_, imgWatchRect_);
    state_.HandColor = HandColorFromText(o.AnalogColor.value_or(std::string{}));
    for (std::int32_t n = 1; n <= 6; ++n) DrawDialNumber(dial_, n);
    if (o.BehaviorMode == 0) {
      mnuBehaviorNormalClick();
    } else {
      mnuBehaviorLapClick();
    }
    if (o.PlaySound == 1) {
      mnuSoundOnClick();
    } else {
      mnuSoundOffClick();
    }
    if (o.Showbutton == 0) mnuShowButtonClick();
    if (o.ShowDigital == 0) mnuShowDigitalWatchClick();
    if (o.ShowAnalog == 1) {
      DrawDialHand(dial_, 0, handSettings());
    } else {
      mnuShowAnalogWatchClick();
    }
    ArrangeControls();
  });
}

// A missing or empty tick.wav is reported, and start-up goes on without a sound.
// Anything but a regular file (a pipe, a device) counts as missing: reading it
// could block start-up or never end.
void frmStopwatch::ReadTickSound() {
  auto bytes = ReadRegularFile(services_.programDirectory + "/tick.wav");
  if (!bytes || bytes->empty()) {
    ReportFailure(ErrorCode::Load);
    return;
  }
  state_.TickSound = std::move(*bytes);
}

void frmStopwatch::Unload() {
  if (std::exchange(unloaded_, true)) return;
  // Closing while running also lets go of the pointer.
  services_.cursor.release();
  Guarded(ErrorCode::Unload, [this] {
    services_.sound.stop();
    SaveSettings(state_.options, services_.programDirectory);
  });
}

// The native window exists from the first show on; its exposure tells whether anything shows.
void frmStopwatch::showEvent(QShowEvent* event) {
  if (QWindow* native = windowHandle()) {
    native->removeEventFilter(this);
    native->installEventFilter(this);
  }
  QMainWindow::showEvent(event);
}

bool frmStopwatch::event(QEvent* event) {
  // Sent when the window moves to another screen, whose pixel density may differ.
  if (event->type() == QEvent::ScreenChangeInternal) followPixelRatio();
  return QMainWindow::event(event);
}

void frmStopwatch::closeEvent(QCloseEvent* event) {
  Unload();
  tmrClock_->stop();
  event->accept();
}

void frmStopwatch::mnuQuitClick() { close(); }

}  // namespace tovira
