// SPDX-License-Identifier: MIT
// The main window's answers to what the handlers ask of its controls (MainView): values,
// texts, colours, the clipboard, the window's place, the About box.
#include "editor/qt/mainwindow.h"

#include "editor/core/twips.h"
#include "editor/qt/aboutdialog.h"
#include "editor/qt/captionlabel.h"
#include "editor/qt/numberbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QImage>
#include <QMimeData>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

using namespace hueloft;

namespace {

QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}

hueloft::TwipsSize twipsOf(const QSize &pixels)
{
    return {pixelsToTwips(pixels.width()), pixelsToTwips(pixels.height())};
}

} // namespace

int MainWindow::channelValue(int channel) const
{
    return hsbColor[channel]->value();
}

// QScrollBar::setValue emits valueChanged, and so runs hsbColor_Change, before it returns,
// and only when the value changes.
void MainWindow::setChannelValue(int channel, int value)
{
    hsbColor[channel]->setValue(value);
}

std::string MainWindow::channelText(int channel) const
{
    return ediColor[channel]->text().toStdString();
}

void MainWindow::showChannelText(int channel, const std::string &text)
{
    ediColor[channel]->showText(toQString(text));
}

std::string MainWindow::sampleSideText(int index) const
{
    return ediSwatch[index]->text().toStdString();
}

void MainWindow::showSampleSideText(int index, const std::string &text)
{
    ediSwatch[index]->showText(toQString(text));
}

int MainWindow::focusedChannelBox() const
{
    for (int i = 0; i < 3; ++i) {
        if (focusWidget() == ediColor[i])
            return i;
    }
    return -1;
}

ColorValue MainWindow::sampleColor() const
{
    const QColor color = cpRGB->palette().color(QPalette::Window);
    return composeColor(color.red(), color.green(), color.blue());
}

void MainWindow::setSampleColor(ColorValue color)
{
    setBackground(cpRGB, color);
}

void MainWindow::setChipColor(int channel, ColorValue color)
{
    setBackground(cpColor[channel], color);
}

std::string MainWindow::rgbCaption() const
{
    return txtRGB->caption().toStdString();
}

void MainWindow::setRgbCaption(const std::string &caption)
{
    txtRGB->setCaption(toQString(caption));
    // A screen reader hears the sample's colour as its description.
    cpRGB->setAccessibleDescription(txtRGB->text());
}

std::string MainWindow::hexaCaption() const
{
    return txtHexa->caption().toStdString();
}

void MainWindow::setHexaCaption(const std::string &caption)
{
    txtHexa->setCaption(toQString(caption));
}

void MainWindow::selectNotation(int index)
{
    optLang[index]->setChecked(true); // toggled runs optLang_Click
}

bool MainWindow::isTopMostChecked() const
{
    return chkTop->isChecked();
}

void MainWindow::setTopMostChecked(bool checked)
{
    chkTop->setChecked(checked); // toggled runs chkTop_Click
}

bool MainWindow::putTextOnClipboard(const std::string &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    // setText() replaces every format on the clipboard with this one text.
    const QString shown = toQString(text);
    clipboard->setText(shown);
    return clipboard->text() == shown;
}

bool MainWindow::putSampleOnClipboard(int width, int height, ColorValue color)
{
    // The hidden canvas keeps its role as the sample's size and colour; the bitmap itself is
    // made off-screen at exactly this many pixels, whatever the screen's scale factor.
    pctRGB->resize(width, height);
    setBackground(pctRGB, color);
    QImage sample(width, height, QImage::Format_RGB32);
    sample.setDevicePixelRatio(1.0);
    sample.fill(pctRGB->palette().color(QPalette::Window));

    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setImage(sample);
    return clipboard->mimeData() && clipboard->mimeData()->hasImage();
}

std::string MainWindow::textOnClipboard() const
{
    return QGuiApplication::clipboard()->text().toStdString();
}

void MainWindow::focusRedChannel()
{
    hsbColor[0]->setFocus();
}

std::uintptr_t MainWindow::nativeWindow() const
{
    return winId();
}

std::int64_t MainWindow::windowLeft() const
{
    return pixelsToTwips(x());
}

std::int64_t MainWindow::windowTop() const
{
    return pixelsToTwips(y());
}

void MainWindow::setWindowLeft(std::int64_t twips)
{
    move(twipsToPixels(twips), y());
}

void MainWindow::setWindowTop(std::int64_t twips)
{
    move(x(), twipsToPixels(twips));
}

hueloft::TwipsSize MainWindow::windowOuterSize() const
{
    return twipsOf(frameGeometry().size());
}

// The primary screen's.
hueloft::TwipsSize MainWindow::screenSize() const
{
    return twipsOf(QGuiApplication::primaryScreen()->geometry().size());
}

std::vector<hueloft::TwipsRect> MainWindow::workAreas() const
{
    std::vector<hueloft::TwipsRect> areas;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        areas.push_back({hueloft::pixelsToTwips(area.x()), hueloft::pixelsToTwips(area.y()),
                         hueloft::pixelsToTwips(area.width()), hueloft::pixelsToTwips(area.height())});
    }
    return areas;
}

void MainWindow::tellProblem(const std::string &text)
{
    // The line names files by their bytes, as standard error gets them.
    m_problems.append(QString::fromLocal8Bit(text.data(), qsizetype(text.size())));
    if (m_closing)
        showProblems();
    else if (isVisible())
        QMetaObject::invokeMethod(this, &MainWindow::showProblems, Qt::QueuedConnection);
}

void MainWindow::showProblems()
{
    while (!m_problems.isEmpty()) {
        const QString text = m_problems.takeFirst();
        if (m_closing) {
            // The save has failed and the process is about to end: this is the last moment
            // the user can learn it, so the end waits until the box is closed.
            QMessageBox box(QMessageBox::Warning, QString::fromLatin1(hueloft::kProblemBoxTitle), text, QMessageBox::Ok, this);
            box.exec();
            continue;
        }
        // Beside the window, not in its way: the user may go on working and close it later.
        auto *box = new QMessageBox(QMessageBox::Warning,
                                    QString::fromLatin1(hueloft::kProblemBoxTitle), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
}

void MainWindow::showAboutBox()
{
    AboutDialog dialog(this);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The box's frame is not known before it is shown; the window manager gives it the same
    // decoration as this window, whose frame is known.
    const QSize size = dialog.size() + (frameGeometry().size() - this->size());
    dialog.move(static_cast<int>(centredOffset(screen.width(), size.width())) + screen.x(),
                static_cast<int>(centredOffset(screen.height(), size.height())) + screen.y());
    dialog.exec();
}

void MainWindow::closeWindow()
{
    close();
}

platform::WindowSystem MainWindow::windowSystem() const
{
    return m_windowSystem;
}

