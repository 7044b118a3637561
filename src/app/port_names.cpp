#include "port_names.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace espa {

std::optional<std::pair<int, QString>> PortNames::ParseOption(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^com([1-9][0-9]{0,3})=(.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return std::make_pair(match.captured(1).toInt(), match.captured(2));
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
