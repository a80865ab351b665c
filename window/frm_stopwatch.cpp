#include "window/frm_stopwatch.h"

#include "display/accessible_names.h"
#include "display/time_formats.h"
#include "engine/window_design.h"
#include "platform/screen_metrics.h"
#include "platform/x11_connection.h"
#include "resources/artwork.h"
#include "window/dial_view.h"
#include "window/lap_list_model.h"
#include "window/lap_list_view.h"
#include "window/number_locale.h"
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
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace tovira {
namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The design's faces in order; where none is installed, a face of the same pitch.
QFont DesignFont(Control control) {
  const FontDesign& design = FontOf(control, Desktop::X11);
  QStringList faces;
  for (const std::u16string_view face : design.faces) faces.append(ToQString(face));
  QFont font;
  font.setFamilies(faces);
  font.setPointSizeF(design.hundredthsOfPoint / 100.0);
  if (design.fixedPitch) font.setStyleHint(QFont::Monospace);
  return font;
}

QColor Drawn(DesignColor color) { return ColorFromBgr(ColorWithoutSystemColors(color)); }

void PaintBackground(QWidget* widget, DesignColor background, std::optional<DesignColor> text = std::nullopt) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, Drawn(background));
  palette.setColor(QPalette::Button, Drawn(background));
  if (text) {
    palette.setColor(QPalette::WindowText, Drawn(*text));
    palette.setColor(QPalette::ButtonText, Drawn(*text));
  }
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void PaintControl(QWidget* widget, Control control) {
  const ColorPair colors = ColorsOf(control, ColorScheme::Designed);
  PaintBackground(widget, colors.background, colors.text);
}

MouseButton ButtonNumber(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::Other;
  }
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
      numberLocale_(SystemNumberLocale()),
      numberSymbols_(NumberSymbolsOf(numberLocale_)),
      // The dial's artwork at the screen's pixel density, so it is drawn sharp there.
      dial_(DialFaceImage(devicePixelRatioF()), DigitStripImage(devicePixelRatioF()), ScreenTwipsPerPixel()),
      form_(WindowParts{*this, *this, *this, *this, *this, dial_, *this},
            MachineServices{services_.ticks, services_.sound, services_.cursor, services_.stacking, *this,
                            services_.programDirectory}) {
  setObjectName(QStringLiteral("frmStopwatch"));
  setWindowTitle(ToQString(design::kWindowCaption));
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
  PaintBackground(client_, WindowBackground(ColorScheme::Designed));
  setCentralWidget(client_);

  // Creation order and names as the window defines them.
  imgNumber_ = new QLabel(client_);
  imgNumber_->setObjectName(QStringLiteral("imgNumber"));
  imgNumber_->setPixmap(QPixmap::fromImage(DigitStripImage()));
  imgNumber_->hide();

  // The push buttons are painted in their own colours, whatever the desktop's style.
  QStyle* buttonStyle = QStyleFactory::create(QStringLiteral("Fusion"));
  buttonStyle->setParent(this);
  auto makeButton = [&](const char* name, std::u16string_view caption, Control control,
                        void (StopwatchForm::*click)(InputTime)) {
    auto* button = new TimedPushButton(ToQString(caption), client_);
    button->setObjectName(QString::fromLatin1(name));
    button->setStyle(buttonStyle);
    button->setFont(DesignFont(control));
    PaintControl(button, control);
    connect(button, &QPushButton::clicked, this, [this, button, click] { (form_.*click)(button->inputTime()); });
    return button;
  };

  cmdLap_ = makeButton("cmdLap", design::kLapCaption, Control::cmdLap, &StopwatchForm::cmdLapClick);

  tmrClock_ = new QTimer(this);
  tmrClock_->setObjectName(QStringLiteral("tmrClock"));
  // It runs only while the stopwatch runs, each event setting the next at the screen's pace.
  tmrClock_->setTimerType(Qt::PreciseTimer);
  tmrClock_->setSingleShot(true);
  connect(tmrClock_, &QTimer::timeout, this, [this] { form_.tmrClockTimer(); });

  lapModel_ = new LapListModel(this);
  lstLap_ = new LapListView(client_);
  lstLap_->setObjectName(QStringLiteral("lstLap"));
  lstLap_->setModel(lapModel_);
  lstLap_->setFont(DesignFont(Control::lstLap));
  chooseLapStandIns();
  connect(lstLap_, &LapListView::mousePressed, this,
          [this](QMouseEvent* event) { handleMouse(PressTarget::LapList, *event); });
  connect(lstLap_, &LapListView::mouseDoubleClicked, this,
          [this](QMouseEvent* event) { handleMouse(PressTarget::LapList, *event); });

  cmdStart_ = makeButton("cmdStart", design::kStartCaption, Control::cmdStart, &StopwatchForm::cmdStartClick);

  imgWatch_ = new DialView(client_);
  imgWatch_->setObjectName(QStringLiteral("imgWatch"));
  imgWatch_->setSurface(&dial_);
  imgWatch_->setFocusPolicy(Qt::TabFocus);
  imgWatch_->installEventFilter(this);

  lblTime_ = new TimeLabel(ToQString(design::kTimeLabelText), client_);
  lblTime_->setObjectName(QStringLiteral("lblTime"));
  lblTime_->setFont(DesignFont(Control::lblTime));
  PaintControl(lblTime_, Control::lblTime);
  lblTime_->installEventFilter(this);

  client_->installEventFilter(this);
  describeForAssistiveTechnology();

  // Tab order: lblTime, cmdStart, cmdLap, lstLap, imgWatch (imgNumber is hidden).
  setTabOrder(cmdStart_, cmdLap_);
  setTabOrder(cmdLap_, lstLap_);
  setTabOrder(lstLap_, imgWatch_);
  for (const Control control : {Control::imgNumber, Control::cmdLap, Control::lstLap, Control::cmdStart,
                                Control::imgWatch, Control::lblTime}) {
    place(control, form_.rectOf(control));
  }
}

// Screen readers announce the label's text, the buttons' captions, the list's lines
// and the time the dial's hand shows; each control also says what it is for.
void frmStopwatch::describeForAssistiveTechnology() {
  imgNumber_->setAccessibleName(QStringLiteral("Digit strip"));
  imgNumber_->setAccessibleDescription(QStringLiteral("The digits the dial's second labels are made of"));
  lblTime_->setAccessibleDescription(QStringLiteral("Elapsed time in seconds"));
  cmdStart_->setAccessibleDescription(QStringLiteral("Starts the stopwatch, or stops it while it runs"));
  cmdLap_->setAccessibleDescription(QStringLiteral("Records a lap while running; clears all times while stopped"));
  lstLap_->setAccessibleName(ToQString(kLapListAccessibleName));
  lstLap_->setAccessibleDescription(QStringLiteral("Every recorded time, oldest first, in the chosen display mode"));
  imgWatch_->setAccessibleDescription(QStringLiteral("Analog dial; the hand steps in frames of 1/24 second"));
  showDial(PixelRect{}, 0);
}

void frmStopwatch::createMenus() {
  auto* menuStyle = new MenuBarStyle;
  menuStyle->setParent(menuBar());
  menuBar()->setStyle(menuStyle);
  for (const MenuEntry& menu : MenuBarEntries()) {
    addMenuEntries(named(menuBar()->addMenu(ToQString(menu.caption)), menu.name), menu.entries);
  }
}

QMenu* frmStopwatch::named(QMenu* menu, std::u16string_view name) {
  menu->setObjectName(ToQString(name));
  menu->menuAction()->setObjectName(ToQString(name));
  return menu;
}

void frmStopwatch::addMenuEntries(QMenu* menu, std::span<const MenuEntry> entries) {
  for (const MenuEntry& entry : entries) {
    if (entry.role == MenuRole::Submenu) {
      addMenuEntries(named(menu->addMenu(ToQString(entry.caption)), entry.name), entry.entries);
      continue;
    }
    QAction* action = menu->addAction(ToQString(entry.caption));
    action->setObjectName(ToQString(entry.name));
    action->setEnabled(entry.enabled);
    if (entry.role == MenuRole::Quit) connect(action, &QAction::triggered, this, &QWidget::close);
    if (entry.role != MenuRole::Option) continue;
    action->setCheckable(true);
    action->setChecked(true);
    menuItems_[static_cast<std::size_t>(entry.item)] = action;
    // The stopwatch owns the marks, so the toolkit's own toggle is undone before the
    // Click runs, and every Click sees them as they stood.
    connect(action, &QAction::triggered, this, [this, action, item = entry.item](bool checkedNow) {
      action->setChecked(!checkedNow);
      form_.MenuClick(item);
    });
  }
}

void frmStopwatch::setNumberLocale(const QLocale& locale) {
  numberLocale_ = locale;
  numberSymbols_ = NumberSymbolsOf(locale);
  chooseLapStandIns();
  form_.NumberFormatChanged();
}

NumberSymbols frmStopwatch::numberSymbols() const { return numberSymbols_; }

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
  lapModel_->setStandIns(
      ChooseSeparatorStandIns(numberSymbols_, [&](char16_t c) { return cell && advance(QChar(c)) == cell; }));
}

// ---- The parts the stopwatch drives ---------------------------------------------------------

void frmStopwatch::setWindowCaption(std::u16string_view text) { setWindowTitle(ToQString(text)); }

void frmStopwatch::setButtonCaptions(std::u16string_view start, std::u16string_view lap) {
  cmdStart_->setText(ToQString(start));
  cmdLap_->setText(ToQString(lap));
}

void frmStopwatch::setTimeText(std::u16string_view text) { lblTime_->setText(ToQString(text)); }

void frmStopwatch::clearLines() { lapModel_->clear(); }

void frmStopwatch::addLines(std::vector<std::u16string> lines) {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::u16string& line : lines) texts.append(ToQString(line));
  lapModel_->addLines(std::move(texts));
}

void frmStopwatch::selectNewestLine() {
  const QModelIndex newest = lapModel_->index(lapModel_->rowCount() - 1);
  lstLap_->selectionModel()->setCurrentIndex(newest, QItemSelectionModel::ClearAndSelect);
  lstLap_->scrollTo(newest);
}

void frmStopwatch::setChecked(MenuItem item, bool checked) {
  menuItems_[static_cast<std::size_t>(item)]->setChecked(checked);
}

QWidget* frmStopwatch::widgetOf(Control control) const {
  switch (control) {
    case Control::imgNumber: return imgNumber_;
    case Control::cmdLap: return cmdLap_;
    case Control::lstLap: return lstLap_;
    case Control::cmdStart: return cmdStart_;
    case Control::imgWatch: return imgWatch_;
    case Control::lblTime: return lblTime_;
  }
  return nullptr;
}

void frmStopwatch::setVisible(Control control, bool visible) { widgetOf(control)->setVisible(visible); }

void frmStopwatch::place(Control control, const TwipsRect& rect) {
  const PixelRect pixels = twipsPerPixel().toPixels(rect);
  widgetOf(control)->setGeometry(pixels.left, pixels.top, pixels.width, pixels.height);
}

TwipsPerPixel frmStopwatch::twipsPerPixel() const { return ScreenTwipsPerPixel(this); }

double frmStopwatch::clientHeightTwips() const { return twipsPerPixel().toTwipsY(client_->height()); }

// The client area below the menu bar in the screen's own pixels. Taken from where
// the area really is rather than from the frame's size, since window managers give
// frames bottom edges thicker than their sides. The window's place comes from the
// window system itself: on a desktop whose monitors have different scale factors,
// the toolkit's logical coordinates scaled by one factor are right for one monitor only.
PixelRect frmStopwatch::clientAreaOnScreen() const {
  const qreal ratio = devicePixelRatioF();
  const QPoint inWindow = client_->mapTo(this, QPoint(0, 0));
  const QPoint origin = x11::RootOrigin(windowHandle()).value_or(mapToGlobal(QPoint(0, 0)) * ratio);
  return PixelRect{origin.x() + qRound(inWindow.x() * ratio), origin.y() + qRound(inWindow.y() * ratio),
                   qRound(client_->width() * ratio), qRound(client_->height() * ratio)};
}

void frmStopwatch::startTimer(int delayMs) { tmrClock_->start(delayMs); }

void frmStopwatch::stopTimer() { tmrClock_->stop(); }

bool frmStopwatch::timerActive() const { return tmrClock_->isActive(); }

double frmStopwatch::screenHertz() const {
  const QScreen* shownOn = screen();
  return shownOn ? shownOn->refreshRate() : 0.0;
}

// Exposed alone is not enough: a window manager may keep a minimised window
// mapped, for its thumbnail.
bool frmStopwatch::shownOnScreen() const {
  const QWindow* native = windowHandle();
  return native != nullptr && native->isExposed() && !isMinimized() && !hiddenByWindowManager_;
}

void frmStopwatch::setHiddenByWindowManager(bool hidden) {
  hiddenByWindowManager_ = hidden;
  form_.ShownChanged();
}

void frmStopwatch::showDial(const PixelRect& changed, std::int32_t handTime) {
  imgWatch_->setLiveAccessibleName(ToQString(DialAccessibleName(handTime, numberSymbols_)));
  imgWatch_->update(changed.left, changed.top, changed.width, changed.height);
}

// ---- Events ---------------------------------------------------------------------------------

std::optional<PressTarget> frmStopwatch::pressTargetOf(const QObject* watched) const {
  if (watched == client_) return PressTarget::Background;
  if (watched == lblTime_) return PressTarget::TimeLabel;
  if (watched == imgWatch_) return PressTarget::Dial;
  return std::nullopt;
}

void frmStopwatch::handleMouse(PressTarget target, const QMouseEvent& event) {
  const auto inputTime = static_cast<std::uint32_t>(event.timestamp());
  if (event.type() == QEvent::MouseButtonDblClick) {
    form_.HandleDoubleClick(target, ButtonNumber(event.button()), inputTime);
  } else {
    form_.HandlePress(target, ButtonNumber(event.button()), inputTime);
  }
}

bool frmStopwatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Expose && watched == windowHandle()) {
    form_.ShownChanged();
    return false;
  }
  if (watched == client_ && event->type() == QEvent::Resize) {
    form_.FormResize();
    return false;
  }
  const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  const auto target = mouse ? pressTargetOf(watched) : std::nullopt;
  if (!target) return QMainWindow::eventFilter(watched, event);
  const auto& mouseEvent = *static_cast<QMouseEvent*>(event);
  // A press that a control leaves alone (a push button's right press, a press on the
  // list's frame) travels on to the client area: it is the control's, and does nothing.
  const bool leftByControl = *target == PressTarget::Background && client_->childAt(mouseEvent.position().toPoint());
  if (!leftByControl) handleMouse(*target, mouseEvent);
  return true;  // handled here, and not again by the window below
}

// The native window exists from the first show on; its exposure tells whether anything shows.
void frmStopwatch::showEvent(QShowEvent* event) {
  if (QWindow* native = windowHandle()) {
    native->removeEventFilter(this);
    native->installEventFilter(this);
  }
  QMainWindow::showEvent(event);
}

// On a screen of another pixel density the dial gets that density's pictures and is
// drawn afresh on them.
void frmStopwatch::followPixelRatio() {
  const qreal ratio = devicePixelRatioF();
  if (ratio == dial_.devicePixelRatio()) return;
  dial_ = DialSurface(DialFaceImage(ratio), DigitStripImage(ratio), ScreenTwipsPerPixel());
  // The window manager holds the window to the fixed width it was told in the old
  // screen's pixels, and the toolkit keeps the window's size in those pixels, which
  // would halve or double it: both are told again in the new screen's pixels.
  const QSize logicalSize = size();
  const int width = minimumWidth();
  setMinimumWidth(0);
  setMaximumWidth(QWIDGETSIZE_MAX);
  setFixedWidth(width);
  if (QWindow* native = windowHandle()) native->resize(logicalSize);
  form_.ScreenChanged();
  imgWatch_->update();
}

bool frmStopwatch::event(QEvent* event) {
  // Sent when the window moves to another screen, whose pixel density may differ.
  if (event->type() == QEvent::ScreenChangeInternal) followPixelRatio();
  const bool handled = QMainWindow::event(event);
  switch (event->type()) {
    case QEvent::WindowStateChange: form_.ShownChanged(); break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate: form_.PlacementChanged(); break;
    default: break;
  }
  return handled;
}

void frmStopwatch::closeEvent(QCloseEvent* event) {
  form_.Unload();
  event->accept();
  emit unloaded();
}

}  // namespace tovira
