#include "window_module.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>
#include <cstdio>
#include <iterator>

#include "run_start.h"
#include "window_entry.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace espa {
namespace {

// The program's own file, found before there is an application object to ask: the window
// module makes that object itself, and there can be only one.
QString ProgramFile(const char* argv0) {
#ifdef Q_OS_WIN
    wchar_t buffer[32768];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    if (length > 0 && length < std::size(buffer)) {
        return QString::fromWCharArray(buffer, int(length));
    }
#else
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!self.isEmpty()) {
        return self;
    }
#endif
    // Without /proc: the name the program was started by, a path or a name on PATH.
    const QString name = argv0 != nullptr ? QFile::decodeName(argv0) : QString();
    const QString file = name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
                             ? name
                             : QStandardPaths::findExecutable(name);
    return file.isEmpty() ? QString() : QFileInfo(file).canonicalFilePath();
}

}  // namespace

QStringList WindowModulePlaces(const QString& programFile, const QString& moduleFileName,
                               const QString& installedRelativeDir) {
    QStringList places;
    if (programFile.isEmpty()) {
        return places;
    }
    const QDir programDir = QFileInfo(programFile).absoluteDir();
    for (const QString& dir : {QStringLiteral("."), installedRelativeDir}) {
        if (dir.isEmpty()) {
            continue;
        }
        const QString place =
            QDir::cleanPath(programDir.absoluteFilePath(dir + QLatin1Char('/') + moduleFileName));
        if (!places.contains(place)) {
            places.append(place);
        }
    }
    return places;
}

int RunWindowModule(int& argc, char** argv) {
    const QString moduleName = QStringLiteral(ESPA_WINDOW_MODULE_FILE);
    const QStringList places =
        WindowModulePlaces(ProgramFile(argc > 0 ? argv[0] : nullptr), moduleName,
                           QStringLiteral(ESPA_WINDOW_MODULE_DIR));
    // Left loaded for the rest of the run: the module's code runs until the program ends.
    QLibrary module;
    for (const QString& place : places) {
        if (!QFileInfo::exists(place)) {
            continue;
        }
        module.setFileName(place);
        if (!module.load()) {
            std::fprintf(stderr,
                         "espa-emulator: cannot load the window module %s (%s); "
                         "run with --headless to work without the window\n",
                         qPrintable(QDir::toNativeSeparators(place)),
                         qPrintable(module.errorString()));
            return kUsageError;
        }
        const auto entry = reinterpret_cast<RunWindowEntry>(module.resolve(kRunWindowSymbol));
        if (entry == nullptr) {
            std::fprintf(stderr,
                         "espa-emulator: %s is not this program's window module; "
                         "run with --headless to work without the window\n",
                         qPrintable(QDir::toNativeSeparators(place)));
            return kUsageError;
        }
        return entry(&argc, argv);
    }
    std::fprintf(stderr,
                 "espa-emulator: cannot find the window module %s (looked for %s); "
                 "run with --headless to work without the window\n",
                 qPrintable(moduleName),
                 qPrintable(QDir::toNativeSeparators(places.join(QStringLiteral(", ")))));
    return kUsageError;
}

}  // namespace espa
