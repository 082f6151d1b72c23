// SPDX-License-Identifier: MIT
#include "editor/windows/mainwindow.h"

#include "editor/color/colortext.h"
#include "editor/color/numbertext.h"
#include "editor/settings/externals.h"
#include "editor/settings/settingspath.h"
#include "editor/windows/aboutdialog.h"
#include "editor/windows/appearance.h"
#include "editor/windows/captionlabel.h"
#include "editor/windows/layout.h"
#include "editor/windows/numberbox.h"
#include "editor/windows/twips.h"
#include "platform/windowstack.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <string_view>
#include <cstdio>
#include <vector>

using namespace hueloft;

namespace {

QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}

// A horizontal scroll bar keyed as on Windows: Left and Up step down, Right and Down step up,
// Page Up pages down and Page Down pages up, Home and End go to the ends. QScrollBar inverts
// its controls for the sake of vertical bars, which turns Left and Right around on a
// horizontal one.
class ChannelScrollBar : public QScrollBar
{
public:
    explicit ChannelScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            triggerAction(SliderSingleStepSub);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            triggerAction(SliderSingleStepAdd);
            return;
        default:
            QScrollBar::keyPressEvent(event);
        }
    }
};

// A command button as on Windows: Enter presses the one that has the focus, as Space does.
// Qt leaves Enter to a dialog's default button, and this window has none.
class CommandButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// Qt presents a plain QWidget as a client area even when it is a top-level window; a screen
// reader should hear a window (a frame, in AT-SPI's words) with the title as its name.
QAccessibleInterface *mainWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("MainWindow") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

QRect layoutRect(const ControlLayout &control)
{
    return {twipsToPixels(control.left), twipsToPixels(control.top),
            twipsToPixels(control.width), twipsToPixels(control.height)};
}

} // namespace

MainWindow::MainWindow(DeclaredFunctions &functions, const QString &programFolder,
                       QWidget *parent)
    : MainWindow(functions, QFile::encodeName(programFolder).toStdString(), parent)
{
}

MainWindow::MainWindow(DeclaredFunctions &functions, const std::string &programFolder,
                       QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , m_functions(functions)
    , m_programFolder(programFolder)
{
    static const bool accessibleAsWindow = [] {
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("RGB Tintora"));
    setWindowIcon(programIcon());
    setFont(dialogFont());
    setFixedSize(twipsToPixels(kMainClientWidth), twipsToPixels(kMainClientHeight));
    createControls();
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
            widget = new QGroupBox(text, container);
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
        widget->setGeometry(layoutRect(control));
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
    txtRGB->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtHexa->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

    // Events.
    for (int i = 0; i < 3; ++i) {
        // With tracking on, valueChanged arrives at every thumb position of a drag as well as
        // for arrow, trough, key and program changes: one signal serves both the change and
        // the scroll event, so a drag step refreshes once, not twice.
        connect(hsbColor[i], &QScrollBar::valueChanged, this, [this, i] { hsbColor_Change(i); });
        ediColor[i]->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i)
        ediSwatch[i]->installEventFilter(this);
    for (int i = 0; i < 4; ++i) {
        connect(optLang[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            updateOptionTabStops();
            if (checked)
                optLang_Click(i);
        });
    }
    cpRGB->installEventFilter(this);
    connect(cmdCopyRGB, &QPushButton::clicked, this, &MainWindow::cmdCopyRGB_Click);
    connect(cmdCopyHexa, &QPushButton::clicked, this, &MainWindow::cmdCopyHexa_Click);
    connect(cmdCopyHTML, &QPushButton::clicked, this, &MainWindow::cmdCopyHTML_Click);
    connect(cmdCopySample, &QPushButton::clicked, this, &MainWindow::cmdCopySample_Click);
    connect(cmdEditColor, &QPushButton::clicked, this, &MainWindow::cmdEditColor_Click);
    connect(chkTop, &QCheckBox::toggled, this, &MainWindow::chkTop_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &MainWindow::cmdAbout_Click);
    connect(cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
}

// Names for screen readers where a control shows no text of its own to take one from. The
// sample's description is its colour as the RGB macro, kept up to date by RefreshColor.
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

void MainWindow::setBackground(QWidget *widget, ColorValue color)
{
    int red = 0, green = 0, blue = 0;
    SplitColor(color, red, green, blue);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(red, green, blue));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

ColorValue MainWindow::currentColor() const
{
    const QColor color = cpRGB->palette().color(QPalette::Window);
    return composeColor(color.red(), color.green(), color.blue());
}

QString MainWindow::htmlColorText() const
{
    return toQString(htmlText(currentColor()));
}

// ---------------------------------------------------------------------------------------------
// The colour channels

void MainWindow::RefreshColor(int channel)
{
    ediColor[channel]->showText(QString::number(hsbColor[channel]->value()));
    const int red = hsbColor[0]->value();
    const int green = hsbColor[1]->value();
    const int blue = hsbColor[2]->value();
    setBackground(cpRGB, composeColor(red, green, blue));
    txtRGB->setCaption(toQString(rgbMacroText(ediColor[0]->text().toStdString(),
                                              ediColor[1]->text().toStdString(),
                                              ediColor[2]->text().toStdString())));
    txtHexa->setCaption(toQString(hexaCaption(currentColor(), HexaType)));
    cpRGB->setAccessibleDescription(txtRGB->text());
}

void MainWindow::hsbColor_Change(int index)
{
    RefreshColor(index);
}

void MainWindow::ApplyColor(long long red, long long green, long long blue)
{
    // The scroll bars hold only 0..255; values from a hand-edited file are brought into range
    // before any control is touched.
    const int channels[3] = {clampChannel(red), clampChannel(green), clampChannel(blue)};
    for (int i = 0; i < 3; ++i)
        hsbColor[i]->setValue(channels[i]);
    for (int i = 0; i < 3; ++i)
        ediColor[i]->showText(QString::number(channels[i]));
    RefreshColor(0);
}

void MainWindow::CommitChannelText(int channel)
{
    // Pasted text may hold anything; only its leading ASCII digits count, and the result
    // always lies within 0..255.
    const int value = clampChannel(readLeadingNumber(ediColor[channel]->text().toStdString()));
    hsbColor[channel]->setValue(value); // refreshes through hsbColor_Change when it changes
    ediColor[channel]->showText(QString::number(value));
}

bool MainWindow::ediColor_KeyPress(int index, QKeyEvent &event)
{
    const int code = typedCharacter(event);
    if (code < 0)
        return false;
    switch (channelBoxKey(code)) {
    case KeyAction::Commit:
        CommitChannelText(index);
        return true;
    case KeyAction::Discard:
        return true;
    case KeyAction::Pass:
        return false;
    }
    return false;
}

void MainWindow::ediColor_LostFocus(int index)
{
    CommitChannelText(index);
}

bool MainWindow::ediSwatch_KeyPress(int, QKeyEvent &event)
{
    const int code = typedCharacter(event);
    return code >= 0 && sampleBoxKey(code) == KeyAction::Discard;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        for (int i = 0; i < 3; ++i) {
            if (watched == ediColor[i])
                return ediColor_KeyPress(i, *static_cast<QKeyEvent *>(event));
        }
        for (int i = 0; i < 2; ++i) {
            if (watched == ediSwatch[i])
                return ediSwatch_KeyPress(i, *static_cast<QKeyEvent *>(event));
        }
        break;
    case QEvent::FocusOut: {
        // Switching to another program or opening the box's context menu keeps the focus
        // in the box as far as this window is concerned: nothing to commit yet.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        for (int i = 0; i < 3; ++i) {
            if (watched == ediColor[i])
                ediColor_LostFocus(i);
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == cpRGB) {
            cpRGB_DblClick();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Notation

void MainWindow::optLang_Click(int index)
{
    HexaType = static_cast<std::int16_t>(index);
    RefreshColor(0);
}

// ---------------------------------------------------------------------------------------------
// Clipboard commands

void MainWindow::putTextOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    // setText() replaces every format on the clipboard with this one text.
    clipboard->setText(text);
    if (clipboard->text() != text)
        std::fprintf(stderr, "hueloft: cannot put \"%s\" on the clipboard: it did not take it\n",
                     qPrintable(text));
}

void MainWindow::cmdCopyRGB_Click()
{
    putTextOnClipboard(txtRGB->caption());
    hsbColor[0]->setFocus();
}

void MainWindow::cmdCopyHexa_Click()
{
    putTextOnClipboard(toQString(hexaCopyText(txtHexa->caption().toStdString(), HexaType)));
    hsbColor[0]->setFocus();
}

void MainWindow::cmdCopyHTML_Click()
{
    putTextOnClipboard(htmlColorText());
    hsbColor[0]->setFocus();
}

void MainWindow::cmdCopySample_Click()
{
    for (int i = 0; i < 2; ++i) {
        const int typed = readLeadingNumber(ediSwatch[i]->text().toStdString());
        const int side = clampSampleSide(typed);
        SwatchSize[i] = static_cast<std::int16_t>(side);
        // A size within range keeps the box's text as typed ("064" stays "064").
        if (side != typed)
            ediSwatch[i]->showText(QString::number(side));
    }

    // The hidden canvas keeps its role as the sample's size and colour; the bitmap itself is
    // made off-screen at exactly this many pixels, whatever the screen's scale factor.
    pctRGB->resize(SwatchSize[0], SwatchSize[1]);
    setBackground(pctRGB, currentColor());
    QImage sample(SwatchSize[0], SwatchSize[1], QImage::Format_RGB32);
    sample.setDevicePixelRatio(1.0);
    sample.fill(pctRGB->palette().color(QPalette::Window));

    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setImage(sample);
    if (!clipboard->mimeData() || !clipboard->mimeData()->hasImage())
        std::fprintf(stderr, "hueloft: cannot put the %dx%d colour sample on the clipboard: "
                             "it did not take it\n",
                     int(SwatchSize[0]), int(SwatchSize[1]));
    hsbColor[0]->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Window commands

void MainWindow::cmdEditColor_Click()
{
    const ColorValue chosen = m_functions.showColorDialog(currentColor(), winId());
    int red = 0, green = 0, blue = 0;
    SplitColor(chosen, red, green, blue);
    ApplyColor(red, green, blue);
    hsbColor[0]->setFocus();
}

void MainWindow::cpRGB_DblClick()
{
    cmdEditColor_Click();
}

void MainWindow::chkTop_Click()
{
    const bool checked = chkTop->isChecked();
    // The box and TopMost still work and are saved: the same file may serve an X11 session.
    if (checked && !m_windowSystem.keepsWindowsOnTop && !m_toldNoStayOnTop) {
        m_toldNoStayOnTop = true;
        std::fprintf(stderr,
                     "hueloft: the window system (%s) does not support keeping a window always "
                     "on top\n",
                     m_windowSystem.name.c_str());
    }
    m_functions.setWindowPos(winId(), checked ? platform::HWND_TOPMOST : platform::HWND_NOTOPMOST,
                             0, 0, 0, 0,
                             platform::SWP_NOSIZE | platform::SWP_NOMOVE
                                 | platform::SWP_SHOWWINDOW);
    TopMost = chkTop->isChecked() ? 1 : 0;
}

void MainWindow::cmdAbout_Click()
{
    AboutDialog dialog(this);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The box's frame is not known before it is shown; the window manager gives it the same
    // decoration as this window, whose frame is known.
    const QSize size = dialog.size() + (frameGeometry().size() - this->size());
    dialog.move(static_cast<int>(centredOffset(screen.width(), size.width())) + screen.x(),
                static_cast<int>(centredOffset(screen.height(), size.height())) + screen.y());
    dialog.exec();
    hsbColor[0]->setFocus();
}

void MainWindow::cmdExit_Click()
{
    close();
}

bool MainWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
        centreOnceFrameKnown();
        break;
    default:
        break;
    }
    return handled;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}
