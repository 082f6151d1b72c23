// SPDX-License-Identifier: MIT
#include "editor/qt/mainwindow.h"

#include "editor/core/layout.h"
#include "editor/qt/appearance.h"
#include "editor/qt/captionlabel.h"
#include "editor/qt/nativecontrols.h"
#include "editor/qt/numberbox.h"
#include "editor/qt/textmeasure.h"
#include "platform/windowsystem.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

using namespace hueloft;

namespace {

// Qt presents a plain QWidget as a client area even when it is a top-level window; a screen
// reader should hear a window (a frame, in AT-SPI's words) with the title as its name.
QAccessibleInterface *mainWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("MainWindow") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

MainWindow::MainWindow(hueloft::ExternalFunctions &functions, hueloft::SettingsStore &settings,
                       QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_form(static_cast<MainView &>(*this), functions, settings)
{
    static const bool accessibleAsWindow = [] {
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("RGB Tintora"));
    setWindowIcon(programIcon());
    createControls();
    layOutControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    std::vector<std::pair<int, QWidget *>> keyboardOrder;

    for (const ControlLayout &control : mainWindowLayout()) {
        QWidget *container = this;
        if (control.container)
            container = findChild<QWidget *>(QString::fromLatin1(control.container));
        const QString text = QString::fromLatin1(control.text);
        QWidget *widget = nullptr;

        switch (control.kind) {
        case ControlKind::Label: {
            // The two colour code texts keep their caption as stored ("&&H...&&" for Basic)
            // beside what they show.
            const std::string_view name = control.name;
            if (name == "txtRGB" || name == "txtHexa")
                widget = new CaptionLabel(container);
            else
                widget = new QLabel(text, container);
            break;
        }
        case ControlKind::ScrollBar: {
            auto *bar = new ChannelScrollBar(container);
            bar->setRange(0, 255);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->setFocusPolicy(Qt::StrongFocus);
            widget = bar;
            break;
        }
        case ControlKind::TextBox:
            widget = new NumberBox(container);
            break;
        case ControlKind::Button: {
            auto *button = new CommandButton(text, container);
            button->setAutoDefault(false);
            button->setDefault(false);
            widget = button;
            break;
        }
        case ControlKind::Frame:
            widget = new CaptionedFrame(text, container);
            break;
        case ControlKind::Option:
            widget = new QRadioButton(text, container);
            break;
        case ControlKind::CheckBox:
            widget = new QCheckBox(text, container);
            break;
        case ControlKind::Picture:
            widget = new QWidget(container);
            break;
        }
        widget->setObjectName(QString::fromLatin1(control.name));
        if (widget->focusPolicy() != Qt::NoFocus)
            keyboardOrder.emplace_back(control.tabIndex, widget);
    }

    auto child = [this](auto *&member, const char *name) {
        member = findChild<std::remove_reference_t<decltype(*member)> *>(QString::fromLatin1(name));
        Q_ASSERT(member);
    };
    child(cpRGB, "cpRGB");
    child(txtRGB, "txtRGB");
    child(txtHexa, "txtHexa");
    child(cmdCopyRGB, "cmdCopyRGB");
    child(cmdCopyHexa, "cmdCopyHexa");
    child(cmdCopyHTML, "cmdCopyHTML");
    child(cmdCopySample, "cmdCopySample");
    child(cmdEditColor, "cmdEditColor");
    child(Frame1, "Frame1");
    child(Frame2, "Frame2");
    child(chkTop, "chkTop");
    child(cmdAbout, "cmdAbout");
    child(cmdExit, "cmdExit");
    child(pctRGB, "pctRGB");
    const char *const channelNames[3][3] = {{"cpColor0", "hsbColor0", "ediColor0"},
                                            {"cpColor1", "hsbColor1", "ediColor1"},
                                            {"cpColor2", "hsbColor2", "ediColor2"}};
    for (int i = 0; i < 3; ++i) {
        child(cpColor[i], channelNames[i][0]);
        child(hsbColor[i], channelNames[i][1]);
        child(ediColor[i], channelNames[i][2]);
    }
    const char *const optionNames[4] = {"optLang0", "optLang1", "optLang2", "optLang3"};
    for (int i = 0; i < 4; ++i)
        child(optLang[i], optionNames[i]);
    child(txtSwitch[0], "txtSwitch0");
    child(txtSwitch[1], "txtSwitch1");
    child(ediSwatch[0], "ediSwatch0");
    child(ediSwatch[1], "ediSwatch1");

    // Appearance that the table does not hold.
    cpRGB->setFrameStyle(QFrame::Box | QFrame::Plain);
    for (QLabel *chip : cpColor) {
        chip->setFrameStyle(QFrame::Box | QFrame::Plain);
        chip->setAlignment(Qt::AlignCenter);
    }
    // Texts stand at their controls' tops, as on Windows: the two colour texts, whose labels
    // differ in height, share a baseline, and the size labels are placed on their boxes'.
    txtRGB->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtHexa->setAlignment(Qt::AlignRight | Qt::AlignTop);
    for (QLabel *label : txtSwitch)
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackground(cpRGB, 0);
    setBackground(pctRGB, 0);
    pctRGB->hide();
    pctRGB->setAttribute(Qt::WA_DontShowOnScreen);
    optLang[0]->setChecked(true);
    // The access key of a size label moves the focus into its box.
    txtSwitch[0]->setBuddy(ediSwatch[0]);
    txtSwitch[1]->setBuddy(ediSwatch[1]);

    describeForAssistiveTools();

    std::stable_sort(keyboardOrder.begin(), keyboardOrder.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < keyboardOrder.size(); ++i)
        setTabOrder(keyboardOrder[i - 1].second, keyboardOrder[i].second);
    updateOptionTabStops();
    // The focus is shown wherever it is, from the start, as the Windows build shows it: the
    // arrow keys and Space act on whatever has it. Qt's styles show it only once the Tab key
    // has moved it, and forget it at the next click.
    setAttribute(Qt::WA_KeyboardFocusChange);
    connect(qApp, &QApplication::focusChanged, this,
            [this] { setAttribute(Qt::WA_KeyboardFocusChange); });

    // Events.
    for (int i = 0; i < 3; ++i) {
        // With tracking on, valueChanged arrives at every thumb position of a drag as well as
        // for arrow, trough, key and program changes: one signal serves both the change and
        // the scroll event, so a drag step refreshes once, not twice.
        connect(hsbColor[i], &QScrollBar::valueChanged, this,
                [this, i] { m_form.hsbColor_Change(i); });
        ediColor[i]->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i)
        ediSwatch[i]->installEventFilter(this);
    // Paste anywhere in the window takes a colour. A number box keeps the paste keys to itself
    // (Ctrl+V reaches its key filter, which asks the same of the core) and offers its own
    // paste to the core before it inserts digits.
    new QShortcut(QKeySequence::Paste, this, this, [this] { m_form.PasteColor(); });
    for (NumberBox *box : ediColor)
        box->setPasteTaker([this] { return m_form.PasteColor(); });
    for (NumberBox *box : ediSwatch)
        box->setPasteTaker([this] { return m_form.PasteColor(); });
    for (int i = 0; i < 4; ++i) {
        optLang[i]->installEventFilter(this);
        connect(optLang[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            updateOptionTabStops();
            if (checked)
                m_form.optLang_Click(i);
        });
    }
    cpRGB->installEventFilter(this);
    connect(cmdCopyRGB, &QPushButton::clicked, this, [this] { m_form.cmdCopyRGB_Click(); });
    connect(cmdCopyHexa, &QPushButton::clicked, this, [this] { m_form.cmdCopyHexa_Click(); });
    connect(cmdCopyHTML, &QPushButton::clicked, this, [this] { m_form.cmdCopyHTML_Click(); });
    connect(cmdCopySample, &QPushButton::clicked, this, [this] { m_form.cmdCopySample_Click(); });
    connect(cmdEditColor, &QPushButton::clicked, this, [this] { m_form.cmdEditColor_Click(); });
    connect(chkTop, &QCheckBox::toggled, this, [this] { m_form.chkTop_Click(); });
    connect(cmdAbout, &QPushButton::clicked, this, [this] { m_form.cmdAbout_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_form.cmdExit_Click(); });
}

// Names for screen readers where a control shows no text of its own to take one from. The
// sample's description is its colour as the RGB macro, kept up to date by setRgbCaption.
void MainWindow::describeForAssistiveTools()
{
    setAccessibleName(windowTitle());
    const char *const channels[3] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        const QString name = QString::fromLatin1(channels[i]);
        cpColor[i]->setAccessibleName(name);
        cpColor[i]->setAccessibleDescription(QStringLiteral("%1 channel").arg(name));
        hsbColor[i]->setAccessibleName(name);
        hsbColor[i]->setAccessibleDescription(QStringLiteral("%1, 0 to 255").arg(name));
        ediColor[i]->setAccessibleName(name);
        ediColor[i]->setAccessibleDescription(QStringLiteral("%1, 0 to 255").arg(name));
    }
    cpRGB->setAccessibleName(QStringLiteral("Color sample"));
    ediSwatch[0]->setAccessibleName(QStringLiteral("Width"));
    ediSwatch[1]->setAccessibleName(QStringLiteral("Height"));
    for (NumberBox *box : ediSwatch)
        box->setAccessibleDescription(QStringLiteral("Pixels, 8 to 256"));
}

// Only the selected notation is a stop of the Tab key; the arrow keys move within the group.
void MainWindow::updateOptionTabStops()
{
    for (QRadioButton *option : optLang)
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

// The notation an arrow key moves to from Watched, -1 for any other key or control. As in the
// Windows build's group of auto radio buttons: the arrows go through the group in its keyboard
// order, round at the ends, Right and Down on, Left and Up back; Qt's own go by position on
// the screen, from C/C++ to Basic on the right.
int MainWindow::optionArrowTarget(QObject *watched, const QKeyEvent &key) const
{
    const auto from = std::find(std::begin(optLang), std::end(optLang), watched);
    if (from == std::end(optLang) || key.modifiers() & ~Qt::KeypadModifier)
        return -1;
    const int count = int(std::size(optLang));
    const int index = int(from - std::begin(optLang));
    switch (key.key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        return (index + 1) % count;
    case Qt::Key_Left:
    case Qt::Key_Up:
        return (index + count - 1) % count;
    default:
        return -1;
    }
}

void MainWindow::setBackground(QWidget *widget, ColorValue color)
{
    int red = 0, green = 0, blue = 0;
    SplitColor(color, red, green, blue);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(red, green, blue));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The character that reaches a number box for one it is typed, 0 when it is discarded; -1 for
// a watched object that is no number box.
int MainWindow::typedIntoBox(QObject *box, int code)
{
    for (int i = 0; i < 3; ++i) {
        if (box == ediColor[i])
            return m_form.ediColor_KeyPress(i, code);
    }
    for (int i = 0; i < 2; ++i) {
        if (box == ediSwatch[i])
            return m_form.ediSwatch_KeyPress(i, code);
    }
    return -1;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (const int option = optionArrowTarget(watched, *static_cast<QKeyEvent *>(event));
            option >= 0) {
            optLang[option]->setFocus(Qt::TabFocusReason);
            optLang[option]->setChecked(true);
            return true;
        }
        // A key that types no character (arrows, Delete, Home) is the box's own business.
        const int code = typedCharacter(*static_cast<QKeyEvent *>(event));
        if (code < 0)
            break;
        const int reaching = typedIntoBox(watched, code);
        if (reaching < 0)
            break;
        return reaching == 0;
    }
    case QEvent::InputMethod: {
        // Text composed by an input method (a dead key and a letter, an on-screen keyboard)
        // passes the same filter as typed keys, character by character.
        const auto *composed = static_cast<QInputMethodEvent *>(event);
        QString kept;
        for (const QChar c : composed->commitString()) {
            const int reaching = typedIntoBox(watched, c.unicode());
            if (reaching < 0)
                return QWidget::eventFilter(watched, event);
            if (reaching > 0)
                kept += QChar(reaching);
        }
        if (kept == composed->commitString())
            break;
        QInputMethodEvent filtered(composed->preeditString(), composed->attributes());
        filtered.setCommitString(kept, composed->replacementStart(), composed->replacementLength());
        QCoreApplication::sendEvent(watched, &filtered);
        return true;
    }
    case QEvent::FocusOut: {
        // Switching to another program or opening the box's context menu keeps the focus
        // in the box as far as this window is concerned: nothing to commit yet.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        for (int i = 0; i < 3; ++i) {
            if (watched == ediColor[i])
                m_form.ediColor_LostFocus(i);
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == cpRGB) {
            m_form.cpRGB_DblClick();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// The window and every control in the font they draw with: the desktop's, an application
// font set later, or a style sheet's. Laid out again whenever that may have changed.
void MainWindow::layOutControls()
{
    m_layoutPending = false;
    ensurePolished();
    const WidgetTextMeasure measure(*this);
    const auto table = mainWindowLayout();
    // Qt's pixels are device-independent: 15 twips each, 96 to the logical inch.
    const LayoutScale scale =
        fittingScale(table, mainWindowTexts(measure), measure, 96, 96,
                     largestScaleOnScreen(*this, kMainClientWidth, kMainClientHeight));
    placeControls(*this, table, scale, kMainClientWidth, kMainClientHeight);
    // The table's size labels stand lower than the digits their boxes centre: each label
    // moves onto its box's baseline.
    for (int i = 0; i < 2; ++i) {
        QLabel *label = txtSwitch[i];
        label->move(label->x(),
                    ediSwatch[i]->y() + ediSwatch[i]->textTop() - label->contentsRect().top());
    }
}

bool MainWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
        // The controls are told after the window: the layout waits until they all know. Once,
        // for all the changes of one turn of the event loop.
        if (!m_layoutPending) {
            m_layoutPending = true;
            QMetaObject::invokeMethod(this, &MainWindow::layOutControls, Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
        // What went wrong at start is shown once the window is there to own it, from the
        // event loop, so that the start does not wait for the user.
        if (!m_problems.isEmpty())
            QMetaObject::invokeMethod(this, &MainWindow::showProblems, Qt::QueuedConnection);
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
        // The window manager frames the window some time after it is shown.
        if (isVisible() && frameGeometry().size() != size())
            m_form.WindowFramed();
        break;
    default:
        break;
    }
    return handled;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    m_form.Form_Unload();
    event->accept();
}
