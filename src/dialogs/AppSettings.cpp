// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/AppSettings.h"

#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace quorvia {
namespace {

bool &enabled()
{
    static bool on = false;
    return on;
}

} // namespace

void AppSettings::setEnabled(bool on) { enabled() = on; }
bool AppSettings::isEnabled() { return enabled(); }

QVariant AppSettings::value(const QString &key)
{
    if (!enabled())
        return {};
    return QSettings(QStringLiteral("Quorvia"), QStringLiteral("Quorvia")).value(key);
}

void AppSettings::setValue(const QString &key, const QVariant &value)
{
    if (enabled())
        QSettings(QStringLiteral("Quorvia"), QStringLiteral("Quorvia")).setValue(key, value);
}

QString AppSettings::lastFolder() { return value(QStringLiteral("files/lastFolder")).toString(); }

void AppSettings::setLastFolder(const QString &folder) { setValue(QStringLiteral("files/lastFolder"), folder); }

QStringList AppSettings::recentPools() { return value(QStringLiteral("files/recentPools")).toStringList(); }

void AppSettings::addRecentPool(const QString &path)
{
    QStringList pools = recentPools();
    const QString full = QDir::cleanPath(QDir(path).absolutePath());
    pools.removeAll(full);
    pools.prepend(full);
    setRecentPools(pools);
}

void AppSettings::setRecentPools(const QStringList &paths)
{
    setValue(QStringLiteral("files/recentPools"), paths.mid(0, kMaxRecentPools));
}

WindowPlace::WindowPlace(QWidget *window, const QString &key)
    : QObject(window), window_(window), key_(QStringLiteral("windows/") + key)
{
    const QByteArray geometry = AppSettings::value(key_).toByteArray();
    restored_ = !geometry.isEmpty() && window->restoreGeometry(geometry);
    window->installEventFilter(this);
}

void WindowPlace::save()
{
    if (AppSettings::isEnabled())
        AppSettings::setValue(key_, window_->saveGeometry());
}

bool WindowPlace::eventFilter(QObject *watched, QEvent *event)
{
    // A hide comes only after a show; a close may come to a window never shown.
    const bool leaving = event->type() == QEvent::Hide || (event->type() == QEvent::Close && window_->isVisible());
    if (watched == window_ && leaving)
        save();
    return false;
}

} // namespace quorvia
