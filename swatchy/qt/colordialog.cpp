// SPDX-License-Identifier: MIT
#include "swatchy/colordialog.h"

#include "swatchy/customcolors.h"
#include "swatchy/qt/portalcolorpicker.h"

#include <QApplication>
#include <QBoxLayout>
#include <QColorDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>

namespace swatchy {

namespace {

QColor toQColor(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

std::uint32_t fromQColor(const QColor &color)
{
    return std::uint32_t(color.red()) | std::uint32_t(color.green()) << 8 |
           std::uint32_t(color.blue()) << 16;
}

// QColorDialog shares its custom colours between all its dialogs and, once they have been set,
// writes them to QtProject.conf in the user's configuration folder when a dialog is destroyed
// (creating the folder and the file when need be). Our custom colours live in the caller's
// settings file, and the program must create or change no other file. While the dialog is
// destroyed, Qt's per-user path for that kind of file points below /dev/null, where nothing
// can be created; the write fails quietly and Qt forgets that the colours were set, so a later
// dialog has nothing to write either. The old path is put back at once, so any other QSettings
// of the process keeps its files.
class QtSettingsDetour
{
public:
    QtSettingsDetour()
    {
        const QString nowhere = QStringLiteral("/dev/null");
        // Only where such a device exists; elsewhere the setting is not a file at all.
        const QFileInfo nowhereInfo(nowhere);
        if (!nowhereInfo.exists() || nowhereInfo.isDir())
            return;
        const QSettings probe(QSettings::NativeFormat, QSettings::UserScope,
                              QStringLiteral("QtProject"));
        m_userPath = QFileInfo(probe.fileName()).absolutePath();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    }

    ~QtSettingsDetour()
    {
        if (!m_userPath.isEmpty())
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_userPath);
    }

    QtSettingsDetour(const QtSettingsDetour &) = delete;
    QtSettingsDetour &operator=(const QtSettingsDetour &) = delete;

private:
    QString m_userPath;
};

// The box layout that holds widget, below layout.
QBoxLayout *boxHolding(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return nullptr;
    if (auto *box = qobject_cast<QBoxLayout *>(layout); box && box->indexOf(widget) >= 0)
        return box;
    for (int i = 0; i < layout->count(); ++i) {
        if (QBoxLayout *found = boxHolding(layout->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
}

// Qt's dialog has its own Pick Screen Color where it can read the screen itself (X11). Where it
// cannot (Wayland: no program may), it leaves the command out; we put it back in the same place,
// below the basic colours, and the desktop portal picks. A command that cannot work there says
// why in its tooltip rather than doing nothing.
void addPortalPickCommand(QColorDialog *dialog)
{
    const QString caption = QColorDialog::tr("&Pick Screen Color");
    QLabel *basicColors = nullptr;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (auto *button = qobject_cast<QPushButton *>(widget); button && button->text() == caption)
            return;
        if (auto *label = qobject_cast<QLabel *>(widget);
            label && label->text() == QColorDialog::tr("&Basic colors"))
            basicColors = label;
    }
    QBoxLayout *column = basicColors ? boxHolding(dialog->layout(), basicColors->buddy()) : nullptr;
    if (!column)
        return; // the small-screen dialog, which has no room for it
    auto *button = new QPushButton(caption, dialog);
    column->insertWidget(column->indexOf(basicColors->buddy()) + 1, button);

    button->setEnabled(false);
    button->setToolTip(QStringLiteral("Asking the desktop portal whether it picks colours"));
    auto *picker = new PortalColorPicker(dialog);
    QObject::connect(picker, &PortalColorPicker::available, button, [button] {
        button->setEnabled(true);
        button->setToolTip(QString());
    });
    QObject::connect(picker, &PortalColorPicker::unavailable, button,
                     [button](const QString &reason) { button->setToolTip(reason); });
    // Disabled while the desktop picks, as Qt's own command is, which also moves the focus on:
    // Enter after a pick is OK, not another pick.
    QObject::connect(button, &QPushButton::clicked, picker, [button, picker] {
        button->setEnabled(false);
        // The portal would take "wayland:" and an exported surface handle, which this Qt's
        // Wayland plug-in cannot make (it has no xdg-foreign support): the desktop then picks
        // for no window in particular.
        picker->pick(QString());
    });
    QObject::connect(picker, &PortalColorPicker::picked, dialog,
                     [dialog](const QColor &color) { dialog->setCurrentColor(color); });
    QObject::connect(picker, &PortalColorPicker::failed, [](QString reason) {
        // The reason comes from another program: one line, and no control characters that
        // would reach the terminal as commands.
        for (QChar &c : reason) {
            if (c.category() == QChar::Other_Control)
                c = u'?';
        }
        std::fprintf(stderr, "swatchy: no colour picked from the screen: %s\n", qPrintable(reason));
    });
    QObject::connect(picker, &PortalColorPicker::finished, button,
                     [button] { button->setEnabled(true); });
    picker->probe();
}

// The colour the dialog's hue, saturation and value boxes make of Color: they hold whole
// numbers, and commit them on Enter or when left. As RGB, which is what the dialog gives.
QRgb throughHsvBoxes(const QColor &color)
{
    int hue = 0, saturation = 0, value = 0;
    color.getHsv(&hue, &saturation, &value);
    return QColor::fromHsv(std::max(hue, 0), saturation, value).rgb();
}

} // namespace

std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    // Widgets need a QApplication and its thread; a caller without one gets its colour back,
    // as from a dialog that could not open.
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return color;

    // No owner means a dialog of its own; an owner that is no window of this process (a
    // stale id, another program's window) opens nothing, as the Windows dialog refuses an
    // invalid owner: it would be modal to the wrong window or to none the caller meant.
    QWidget *ownerWindow = nullptr;
    QWindow *ownerHandle = nullptr;
    if (owner != 0) {
        ownerWindow = QWidget::find(static_cast<WId>(owner));
        if (ownerWindow) {
            ownerWindow = ownerWindow->window();
        } else {
            for (QWindow *window : QGuiApplication::allWindows()) {
                // winId() would create a native window for one that has none yet.
                if (window->handle() && window->winId() == static_cast<WId>(owner))
                    ownerHandle = window;
            }
        }
        if (!ownerWindow && !ownerHandle)
            return color;
    }

    CustomColorStore &store = customColors();
    std::array<QRgb, CustomColorCount> shown{};
    for (int i = 0; i < CustomColorCount; ++i) {
        shown[i] = toQColor(store[i]).rgb();
        QColorDialog::setCustomColor(i, QColor::fromRgb(shown[i]));
    }

    // Not on the stack: should the owner go away while the dialog runs, it takes the dialog
    // with it, and the pointer says so. The owner announces its end before it destroys its
    // children, which leaves time to send Qt's write into the void.
    QPointer<QColorDialog> dialog = new QColorDialog(ownerWindow);
    std::optional<QtSettingsDetour> ownerGoneDetour;
    QMetaObject::Connection ownerGone;
    if (ownerWindow) {
        ownerGone = QObject::connect(ownerWindow, &QObject::destroyed, dialog, [&ownerGoneDetour] {
            if (!ownerGoneDetour)
                ownerGoneDetour.emplace();
        });
    }
    dialog->setOptions(QColorDialog::DontUseNativeDialog);
    dialog->setWindowModality(ownerWindow ? Qt::WindowModal : Qt::ApplicationModal);
    if (ownerHandle) {
        // A window without a widget (Qt Quick, say): the dialog stays above it.
        dialog->winId();
        dialog->windowHandle()->setTransientParent(ownerHandle);
    }
    dialog->setCurrentColor(toQColor(color));
    addPortalPickCommand(dialog);
    // A colour picked or typed is the one given back: a hue, saturation or value box that
    // commits what it shows (Enter in it, which also presses OK, or Tab out of it) turns
    // (128, 51, 255) into (126, 51, 255). A change that is only that rounding puts the colour
    // back as it was, and is undone in the result should OK come first.
    auto exact = std::make_shared<QColor>(dialog->currentColor());
    QObject::connect(dialog, &QColorDialog::currentColorChanged, dialog,
                     [dialog = dialog.data(), exact](const QColor &now) {
                         if (now.rgb() == exact->rgb() || now.rgb() != throughHsvBoxes(*exact)) {
                             *exact = now;
                             return;
                         }
                         QMetaObject::invokeMethod(
                             dialog, [dialog, kept = *exact] { dialog->setCurrentColor(kept); },
                             Qt::QueuedConnection);
                     });

    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    QObject::disconnect(ownerGone);
    QColor chosen = accepted ? dialog->selectedColor() : QColor();
    if (chosen.isValid() && chosen.rgb() == throughHsvBoxes(*exact))
        chosen = *exact;

    // The dialog changes its custom colours whichever button closes it. An entry it did not
    // change keeps its exact value, which may carry bits that a colour cannot show.
    for (int i = 0; i < CustomColorCount; ++i) {
        const QRgb now = QColorDialog::customColor(i).rgb();
        if (now != shown[i])
            store[i] = fromQColor(QColor::fromRgb(now));
    }

    if (dialog) {
        const QtSettingsDetour detour;
        delete dialog;
    }

    return chosen.isValid() ? fromQColor(chosen) : color;
}

} // namespace swatchy
