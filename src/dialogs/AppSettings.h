// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

namespace quorvia {

// What the program remembers between runs (window places, the size inputs,
// the last folder, recent pools), kept with QSettings. Off until the program
// switches it on at start-up, so that windows made by tests never read or
// write the user's settings.
class AppSettings {
public:
    static void setEnabled(bool on);
    static bool isEnabled();

    // An invalid value when off or never stored.
    static QVariant value(const QString &key);
    static void setValue(const QString &key, const QVariant &value);

    // The folder of the last file chosen in any file dialog.
    static QString lastFolder();
    static void setLastFolder(const QString &folder);

    // Most recent first, at most kMaxRecentPools, each path once.
    static constexpr int kMaxRecentPools = 8;
    static QStringList recentPools();
    static void addRecentPool(const QString &path);
    static void setRecentPools(const QStringList &paths);
};

// Restores a window's size and position as it is made (when remembered) and
// remembers them whenever it is hidden or closed.
class WindowPlace : public QObject {
public:
    WindowPlace(QWidget *window, const QString &key);
    bool restored() const { return restored_; }
    void save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    QString key_;
    bool restored_ = false;
};

} // namespace quorvia
