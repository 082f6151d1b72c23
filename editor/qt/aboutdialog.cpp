// SPDX-License-Identifier: MIT
#include "editor/qt/aboutdialog.h"

#include "editor/qt/appearance.h"
#include "editor/qt/textmeasure.h"
#include "editor/resources/buildinfo.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

using namespace hueloft;

namespace {

// The Windows box keeps its old heading and its contact line; this one names the program as
// this build does, its version as --version does, and the owner's contact only if given.
std::vector<ShownText> aboutTexts()
{
    return aboutBoxTexts(HUELOFT_COPYRIGHT, HUELOFT_OWNER_CONTACT, HUELOFT_DISTRIBUTION_NOTICE,
                         {"RGB Tintora", "Version " HUELOFT_VERSION});
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(QStringLiteral("About RGB Tintora"));
    setModal(true);

    QPushButton *ok = nullptr;
    const auto texts = aboutTexts();
    for (const ControlLayout &control : aboutBoxLayout()) {
        const QString name = QString::fromLatin1(control.name);
        QWidget *widget = nullptr;
        if (name == QLatin1String("Image1")) {
            auto *image = new QLabel(this);
            image->setPixmap(programIconPixmap());
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = image;
        } else if (name == QLatin1String("cmdOK")) {
            ok = new QPushButton(QString::fromLatin1(control.text), this);
            widget = ok;
        } else {
            // The table's text, or the owner's (plain text) where the table leaves it to them.
            const auto shown = std::find_if(texts.begin(), texts.end(), [&](const ShownText &t) {
                return t.control == &control;
            });
            const bool found = shown != texts.end();
            auto *label = new QLabel(found ? QString::fromStdString(shown->text) : QString(), this);
            label->setTextFormat(Qt::PlainText);
            if (found && shown->wraps) {
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            }
            widget = label;
        }
        widget->setObjectName(name);
    }

    // Line1(0): from (120, 1680) to (4800, 1680), two pixels wide.
    auto *rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Line10"));
    rule->setFrameStyle(QFrame::HLine | QFrame::Plain);
    rule->setLineWidth(2);

    ok->setDefault(true);
    // Escape rejects a QDialog, which closes it just as OK does: OK is the cancel button too.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layOutControls();
    ok->setFocus();
}

void AboutDialog::layOutControls()
{
    m_layoutPending = false;
    ensurePolished();
    const WidgetTextMeasure measure(*this);
    const auto table = aboutBoxLayout();
    const auto texts = aboutTexts();
    const LayoutScale scale =
        fittingScale(table, texts, measure, 96, 96,
                     largestScaleOnScreen(*this, kAboutClientWidth, kAboutClientHeight));
    placeControls(*this, table, scale, kAboutClientWidth, kAboutClientHeight);
    const DeviceRect line =
        twipsToDevice(kAboutLineLeft, kAboutLineY, kAboutLineRight - kAboutLineLeft, 0, scale);
    findChild<QFrame *>(QStringLiteral("Line10"))
        ->setGeometry(line.left, line.top - 1, line.width, 2);
}

bool AboutDialog::event(QEvent *event)
{
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) &&
        !m_layoutPending) {
        m_layoutPending = true;
        QMetaObject::invokeMethod(this, &AboutDialog::layOutControls, Qt::QueuedConnection);
    }
    return QDialog::event(event);
}
