#include "platform/screensaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcScreenSaver, "tessivo.screensaver")

namespace {
constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kPath[] = "/org/freedesktop/ScreenSaver";
constexpr int kTimeoutMs = 2000;

// A session bus is there when its address is given or its socket exists.
// Without either, asking for the bus would start D-Bus's own launcher, which
// can hang the window for good on a machine with a screen and no session.
bool SessionBusAnnounced() {
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus");
}

}  // namespace

ScreenSaverInhibitor::~ScreenSaverInhibitor() { Release(); }

bool ScreenSaverInhibitor::Inhibit(const QString& application, const QString& reason) {
  if (inhibited_) return true;
  if (!SessionBusAnnounced()) {
    qCInfo(lcScreenSaver) << "no session bus: the screen saver is left as it is";
    return false;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    qCInfo(lcScreenSaver) << "no session bus: the screen saver is left as it is";
    return false;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Inhibit");
  call << application << reason;
  const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    qCInfo(lcScreenSaver) << "no screen saver service:" << reply.errorMessage();
    return false;
  }
  cookie_ = reply.arguments().first().toUInt();
  inhibited_ = true;
  return true;
}

void ScreenSaverInhibitor::Release() {
  if (!inhibited_) return;
  inhibited_ = false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "UnInhibit");
  call << cookie_;
  QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs);
}
