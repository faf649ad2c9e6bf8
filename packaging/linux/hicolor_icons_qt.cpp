// Build tool: the hicolor icon theme sizes of the application icon, scaled from the
// 256 x 256 PNG that `lumibox --export-icon` renders, so the art stays one description.
//
//   lumibox_hicolor_icons SOURCE.png THEME_DIR NAME SIZE...
//
// writes THEME_DIR/<SIZE>x<SIZE>/apps/NAME.png for each size; a size equal to the source's
// is a byte-for-byte copy. Exit code 0, or 1 with a message on standard error.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "lumibox_hicolor_icons: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return fail(QStringLiteral("usage: lumibox_hicolor_icons SOURCE.png THEME_DIR NAME SIZE..."));
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString themeDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);

    QImage source(sourcePath);
    if (source.isNull() || source.width() != source.height()) return fail(sourcePath + QStringLiteral(": not a square image"));
    // Averaging premultiplied pixels keeps the transparent margin from darkening the edge.
    const QImage premultiplied = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    for (int i = 4; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        if (!isNumber || size < 1 || size > source.width()) return fail(QStringLiteral("bad size ") + argv[i]);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(themeDir).arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir)) return fail(dir + QStringLiteral(": cannot create"));
        QFile::remove(path);
        if (size == source.width()) {
            if (!QFile::copy(sourcePath, path)) return fail(path + QStringLiteral(": cannot write"));
            continue;
        }
        const QImage scaled = premultiplied.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32);
        if (!scaled.save(path, "PNG")) return fail(path + QStringLiteral(": cannot write"));
    }
    return 0;
}
