#include "serial/port_names.h"

#include <QDir>
#include <QFileInfo>

namespace espa {

// "ComN=DEVICE", N from 1 to 9999 without a leading zero, "com" in any case. Parsed by hand: the
// regular-expression engine alone would add half a megabyte to every run.
std::optional<std::pair<int, QString>> PortNames::ParseOption(const QString& text) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 4 || equals > 7 || equals + 1 >= text.size() ||
        !text.startsWith(QLatin1String("com"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const QString digits = text.mid(3, equals - 3);
    if (digits.front() == QLatin1Char('0')) {
        return std::nullopt;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return std::make_pair(digits.toInt(), text.mid(equals + 1));
}

QString PortNames::Resolve(int portNumber) const {
    if (const auto given = m_devices.find(portNumber); given != m_devices.end()) {
        return given->second;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString local = QDir(m_appDir).filePath(QStringLiteral("Com%1").arg(portNumber));
    // A link whose target is missing (adapter unplugged) still names this port: opening it
    // fails visibly instead of quietly falling back to another physical port.
    const QFileInfo info(local);
    if (info.exists() || info.isSymLink()) {
        return local;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

}  // namespace espa
