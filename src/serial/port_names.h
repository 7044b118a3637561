#pragma once

#include <QString>
#include <map>
#include <optional>
#include <utility>

namespace espa {

// Which device each port number opens. Ptys and USB adapters are not reliably enumerated, so
// names are paths resolved by rule, never looked up in a list of ports.
class PortNames {
  public:
    explicit PortNames(QString appDir) : m_appDir(std::move(appDir)) {}

    // "Com3=/dev/ttyUSB0" (the "Com" in any case). Nothing for a malformed text.
    static std::optional<std::pair<int, QString>> ParseOption(const QString& text);

    // Port number N opens the given device from now on.
    void SetDevice(int portNumber, const QString& device) { m_devices[portNumber] = device; }

    // The device given for N; else on Unix "<app dir>/ComN" when that entry exists (a symlink to
    // /dev/ttyUSB0 or to a pty), else "/dev/ttyS<N-1>"; on Windows "COMN".
    QString Resolve(int portNumber) const;

  private:
    QString m_appDir;
    std::map<int, QString> m_devices;
};

}  // namespace espa
