// SPDX-License-Identifier: MIT
#include "swatchy/qt/portalcolorpicker.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <array>

namespace swatchy {

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString ResponseSignature = QStringLiteral("ua{sv}");

// A portal that does not answer within this time is as good as none; the dialog stays usable
// meanwhile, only the command waits.
constexpr int ProbeTimeoutMs = 5000;

// PickColor came with version 2 of the Screenshot portal.
constexpr uint FirstVersionWithPickColor = 2;

// The channels of a colour as the portal gives them, 0 to 1; anything else (NaN included) is
// no colour.
bool toChannel(double value, int &channel)
{
    if (!(value >= 0.0 && value <= 1.0))
        return false;
    channel = qRound(value * 255.0);
    return true;
}

} // namespace

PortalColorPicker::PortalColorPicker(QObject *parent)
    : QObject(parent)
{
}

PortalColorPicker::~PortalColorPicker()
{
    // The dialog closed while the desktop was still picking: the desktop's crosshair goes too.
    if (!m_requestPath.isEmpty()) {
        QDBusMessage close = QDBusMessage::createMethodCall(
            PortalService, m_requestPath, RequestInterface, QStringLiteral("Close"));
        close.setAutoStartService(false);
        QDBusConnection::sessionBus().send(close);
    }
}

void PortalColorPicker::probe()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit unavailable(tr("Picking a colour from the screen needs the desktop portal, and "
                            "there is no D-Bus session bus."));
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        PortalService, PortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << ScreenshotInterface << QStringLiteral("version");
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(get, ProbeTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        if (reply.isError()) {
            emit unavailable(tr("No desktop portal here picks colours from the screen (%1).")
                                 .arg(reply.error().message()));
        } else if (reply.value().variant().toUInt() < FirstVersionWithPickColor) {
            emit unavailable(tr("The desktop portal here is too old to pick colours from the "
                                "screen."));
        } else {
            emit available();
        }
    });
}

void PortalColorPicker::pick(const QString &parentWindow)
{
    if (!m_requestPath.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal names its request after our connection and a token of ours. Listening before
    // the call leaves no moment in which a quick answer could be missed.
    const QString token = QStringLiteral("swatchy%1").arg(++m_requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    watchRequest(
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));

    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, ScreenshotInterface, QStringLiteral("PickColor"));
    call << parentWindow << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [this, path = m_requestPath](QDBusPendingCallWatcher *call) { onPickCalled(call, path); });
}

void PortalColorPicker::onPickCalled(QDBusPendingCallWatcher *call, const QString &path)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (m_requestPath != path)
        return; // answered already
    if (reply.isError()) {
        endRequest();
        emit failed(reply.error().message());
        emit finished();
        return;
    }
    // A portal older than the token names the request itself.
    if (reply.value().path() != m_requestPath)
        watchRequest(reply.value().path());
}

void PortalColorPicker::watchRequest(const QString &path)
{
    if (!m_requestPath.isEmpty())
        endRequest();
    m_requestPath = path;
    // Only an answer of the portal's own signature: QtDBus would read any other body as this
    // one, and the portal's owner is another program.
    QDBusConnection::sessionBus().connect(PortalService, path, RequestInterface,
                                          QStringLiteral("Response"), ResponseSignature, this,
                                          SLOT(onResponse(uint, QVariantMap)));
}

void PortalColorPicker::endRequest()
{
    QDBusConnection::sessionBus().disconnect(PortalService, m_requestPath, RequestInterface,
                                             QStringLiteral("Response"), ResponseSignature, this,
                                             SLOT(onResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

void PortalColorPicker::onResponse(uint response, const QVariantMap &results)
{
    endRequest();
    // 1 is the user's cancel, 2 an end for another reason: neither changes anything.
    if (response == 0) {
        const QVariant value = results.value(QStringLiteral("color"));
        std::array<double, 3> channels{-1.0, -1.0, -1.0};
        if (value.canConvert<QDBusArgument>()) {
            const auto argument = value.value<QDBusArgument>();
            if (argument.currentSignature() == QLatin1String("(ddd)")) {
                argument.beginStructure();
                argument >> channels[0] >> channels[1] >> channels[2];
                argument.endStructure();
            }
        }
        int red = 0;
        int green = 0;
        int blue = 0;
        if (toChannel(channels[0], red) && toChannel(channels[1], green) &&
            toChannel(channels[2], blue)) {
            emit picked(QColor(red, green, blue));
        } else {
            emit failed(tr("the desktop portal answered no colour"));
        }
    }
    emit finished();
}

} // namespace swatchy
