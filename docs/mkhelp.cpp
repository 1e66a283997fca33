// mkhelp: turns the help document's Markdown source into the PDF that the
// program opens from its "Помощ" menu.
//
//   mkhelp INPUT.md OUTPUT.pdf [IMAGE_DIR]
//
// Pictures (![text](name.png)) are read from IMAGE_DIR, else beside the
// input, and scaled to the width of the text.
// Runs without a display (QT_QPA_PLATFORM=offscreen). Exits with 0 on
// success, 1 when the input cannot be read or the PDF cannot be written,
// 2 on wrong usage.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>
#include <QTextDocument>

#include <cstdio>

namespace {

const char *const BodyFamily = "DejaVu Sans";
const qreal BodyPointSize = 10.0;
// QTextDocument::print() keeps 2 cm free on every side of the page's
// printable area (and writes the page number into the bottom one), so the
// page itself needs only a thin margin.
const qreal PageMarginMm = 2.0;

void fail(const QString &message)
{
    std::fprintf(stderr, "mkhelp: %s\n", qUtf8Printable(message));
}

// The text of the first top-level heading, or an empty text.
QString firstHeading(const QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 1)
            return b.text().trimmed();
    }
    return {};
}

// Markdown tables come without cell padding; give them room to breathe
// and thin rules around the cells, across the full text width.
void tidyTables(QTextDocument &doc)
{
    const QList<QTextFrame *> frames = doc.rootFrame()->childFrames();
    for (QTextFrame *frame : frames) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setBorder(0.5);
        format.setBorderBrush(Qt::darkGray);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellSpacing(0);
        format.setCellPadding(3);
        format.setTopMargin(4);
        format.setBottomMargin(8);
        table->setFormat(format);
    }
}

// Every picture at most as wide as the text (the document's units are
// points of the page as printed); a missing picture is reported.
void fitImages(QTextDocument &doc, const QString &imageDir)
{
    const qreal maxWidth = 460.0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat())
                continue;
            QTextImageFormat img = f.charFormat().toImageFormat();
            const QImage picture(QDir(imageDir).filePath(img.name()));
            if (picture.isNull()) {
                fail(QStringLiteral("warning: picture %1 not found in %2").arg(img.name(), imageDir));
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(img.name()), picture);
            const qreal width = std::min<qreal>(maxWidth, picture.width() * 0.6);
            img.setWidth(width);
            img.setHeight(width * picture.height() / picture.width());
            QTextCursor c(&doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(img);
        }
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3 && args.size() != 4) {
        std::fprintf(stderr, "usage: mkhelp INPUT.md OUTPUT.pdf [IMAGE_DIR]\n");
        return 2;
    }
    const QString inputPath = args.at(1);
    const QString outputPath = args.at(2);

    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(inputPath, input.errorString()));
        return 1;
    }
    const QByteArray bytes = input.readAll();
    input.close();

    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString markdown = utf8(bytes);
    if (utf8.hasError()) {
        fail(QStringLiteral("%1 is not valid UTF-8").arg(inputPath));
        return 1;
    }
    if (markdown.trimmed().isEmpty()) {
        fail(QStringLiteral("%1 is empty").arg(inputPath));
        return 1;
    }

    QFont font(QString::fromLatin1(BodyFamily));
    font.setPointSizeF(BodyPointSize);
    if (!QFontDatabase::families().contains(font.family())) {
        // Qt falls back to another font, which may lack Cyrillic glyphs.
        fail(QStringLiteral("warning: font \"%1\" not found, using \"%2\"")
                 .arg(font.family(), QFontInfo(font).family()));
    }

    QTextDocument doc;
    doc.setDefaultFont(font);
    const QString imageDir = args.size() == 4 ? args.at(3) : QFileInfo(inputPath).absolutePath();
    doc.setBaseUrl(QUrl::fromLocalFile(QDir(imageDir).absolutePath() + QLatin1Char('/')));
    doc.setMarkdown(markdown);
    tidyTables(doc);
    fitImages(doc, imageDir);

    QString title = firstHeading(doc);
    if (title.isEmpty())
        title = QFileInfo(inputPath).completeBaseName();
    doc.setMetaInformation(QTextDocument::DocumentTitle, title);

    QFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("cannot write %1: %2").arg(outputPath, output.errorString()));
        return 1;
    }

    {
        QPdfWriter writer(&output);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("mkhelp"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(PageMarginMm, PageMarginMm, PageMarginMm, PageMarginMm),
                                         QPageLayout::Millimeter));
        // Prints page numbers at the foot of every page.
        doc.print(&writer);
    } // the writer finishes the file when it goes

    const bool written = output.error() == QFileDevice::NoError && output.size() > 0;
    output.close();
    if (!written) {
        fail(QStringLiteral("writing %1 failed").arg(outputPath));
        output.remove();
        return 1;
    }
    return 0;
}
