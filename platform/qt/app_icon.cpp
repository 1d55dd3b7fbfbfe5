#include "platform/qt/app_icon.h"

#include <QDir>

namespace morvane::qt {

QIcon AppIcon() {
    QIcon icon;
    const QDir folder(QStringLiteral(":/icons"));
    for (const QString& name : folder.entryList({QStringLiteral("pellorin-*.png")}, QDir::Files))
        icon.addFile(folder.filePath(name));
    return icon;
}

}  // namespace morvane::qt
