// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusPendingCallWatcher;

namespace swatchy {

// A colour picked from the screen by the desktop portal (org.freedesktop.portal.Screenshot's
// PickColor), for window systems that let no program read the screen itself (Wayland). The
// desktop draws the crosshair, takes the click on any monitor and handles Escape.
class PortalColorPicker : public QObject
{
    Q_OBJECT

public:
    explicit PortalColorPicker(QObject *parent = nullptr);
    ~PortalColorPicker() override;

    // Asks the session bus, without waiting, whether a portal that picks colours answers:
    // available() or unavailable() follows.
    void probe();

    // Starts a pick for the window the portal names parentWindow ("" when there is no handle
    // to give); picked() follows, or failed(), or neither when the user cancelled, and then
    // finished(). A pick already under way is left to finish.
    void pick(const QString &parentWindow);

signals:
    void available();
    void unavailable(const QString &reason);
    void picked(const QColor &color);
    void failed(const QString &reason);
    void finished();

private slots:
    void onResponse(uint response, const QVariantMap &results);

private:
    void onPickCalled(QDBusPendingCallWatcher *call, const QString &path);
    void watchRequest(const QString &path);
    void endRequest();

    QString m_requestPath;
    int m_requests = 0;
};

} // namespace swatchy
