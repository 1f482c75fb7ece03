#include "ui/files/print.hpp"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <optional>

#include "blocks/block_marker.hpp"
#include "blocks/block_model.hpp"
#include "blocks/listing.hpp"
#include "ui/app/application.hpp"
#include "ui/app/dialogs.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/mainform.hpp"

namespace q41::ui {
namespace {

// A listing row prints its source text after the number, the address, four words and two
// blanks: a long source line goes on from there.
constexpr int ListingSourceColumn = 32;
// A tab character advances to the next multiple of eight columns, as a terminal shows it.
constexpr int TabColumns = 8;

// What goes on the pages.
struct Printout {
  QString file;   // the header's left: the program file's name
  QString title;  // its middle: the block, and what of it
  QString date;   // its right
  QStringList lines;
  int indent = 0;  // the column where the further rows of a long line start
};

QString ExpandTabs(const QString& line) {
  if (!line.contains('\t')) return line;
  QString out;
  for (const QChar c : line) {
    if (c == '\t') {
      out += QString(TabColumns - out.size() % TabColumns, ' ');
    } else {
      out += c;
    }
  }
  return out;
}

// Each line numbered as the status line counts them.
Printout SourcePrintout(const Lines& source) {
  Printout p;
  const auto width = static_cast<int>(QString::number(source.size()).size());
  p.indent = width + 2;
  p.lines.reserve(static_cast<qsizetype>(source.size()));
  for (std::size_t k = 0; k < source.size(); ++k) {
    p.lines << QString::number(k + 1).rightJustified(width) + "  " + ExpandTabs(ToQt(source[k]));
  }
  return p;
}

// A failed compile's note heads the listing, a blank line after it.
Printout ListingPrintout(const CompileHistory& h, const QString& noListing,
                         const QString& faultNote) {
  Printout p;
  p.indent = ListingSourceColumn;
  if (!h.compiled) {
    p.lines << noListing;
    return p;
  }
  if (!faultNote.isEmpty()) p.lines << faultNote.split('\n') << QString();
  const std::vector<ListingRow> rows =
      ListingRows(h.source.size(), h.code.size(), h.wordSourceLine);
  for (const std::string& line : ListingText(rows, h.source, h.code)) {
    p.lines << ExpandTabs(ToQt(line));
  }
  return p;
}

// The lines cut to rows of `columns` characters; a long line's further rows are indented, as
// far as the page leaves room for text.
QStringList Rows(const Printout& p, int columns) {
  const int indent = p.indent <= columns / 2 ? p.indent : 0;
  QStringList rows;
  for (const QString& line : p.lines) {
    rows << line.left(columns);
    for (qsizetype at = columns; at < line.size(); at += columns - indent) {
      rows << QString(indent, ' ') + line.mid(at, columns - indent);
    }
  }
  return rows;
}

QFont PrintFont(const QStringList& families, QFont::StyleHint hint) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(hint);
  font.setPointSizeF(9);
  return font;
}

// Draws the pages; false when the device could not be started or take another page.
bool Render(QPagedPaintDevice& device, const Printout& p, Language language) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const QFont textFont =
      PrintFont({"Liberation Mono", "DejaVu Sans Mono", "Courier New"}, QFont::TypeWriter);
  const QFont marginFont = PrintFont({"Liberation Sans", "DejaVu Sans", "Arial"}, QFont::SansSerif);
  const QFontMetricsF text(textFont, &device);
  const QFontMetricsF margin(marginFont, &device);
  const QRectF page(0, 0, device.width(), device.height());
  const qreal headerHeight = margin.lineSpacing() * 2;
  const qreal footerHeight = margin.lineSpacing() * 2;
  const int columns = std::max(20, static_cast<int>(page.width() / text.horizontalAdvance('0')));
  const int perPage = std::max(
      1, static_cast<int>((page.height() - headerHeight - footerHeight) / text.lineSpacing()));
  const QStringList rows = Rows(p, columns);
  const auto pages = std::max<qsizetype>(1, (rows.size() + perPage - 1) / perPage);

  const QRectF headerLine(page.left(), page.top(), page.width(), margin.lineSpacing());
  const qreal dateWidth = margin.horizontalAdvance(p.date);
  const QString file = margin.elidedText(p.file, Qt::ElideMiddle, page.width() / 4);
  const qreal fileWidth = margin.horizontalAdvance(file);
  // The title is centred in what the name and the date leave between them.
  const qreal gap = margin.horizontalAdvance("  ");
  const QRectF titleRect(headerLine.left() + fileWidth + gap, headerLine.top(),
                         page.width() - fileWidth - dateWidth - 2 * gap, headerLine.height());
  const QString title = margin.elidedText(p.title, Qt::ElideRight, titleRect.width());
  const qreal rule = headerLine.bottom() + margin.lineSpacing() / 2;
  const QRectF footerLine(page.left(), page.bottom() - margin.lineSpacing(), page.width(),
                          margin.lineSpacing());

  for (qsizetype n = 0; n < pages; ++n) {
    if (n > 0 && !device.newPage()) return false;
    painter.setFont(marginFont);
    painter.drawText(headerLine, Qt::AlignLeft | Qt::AlignVCenter, file);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter, title);
    painter.drawText(headerLine, Qt::AlignRight | Qt::AlignVCenter, p.date);
    painter.drawLine(QPointF(page.left(), rule), QPointF(page.right(), rule));
    painter.drawText(footerLine, Qt::AlignHCenter | Qt::AlignVCenter,
                     Text(language, TextPage).arg(n + 1).arg(pages));
    painter.setFont(textFont);
    const qsizetype first = n * perPage;
    const qsizetype last = std::min(rows.size(), first + perPage);
    for (qsizetype r = first; r < last; ++r) {
      const qreal baseline = page.top() + headerHeight +
                             static_cast<qreal>(r - first) * text.lineSpacing() + text.ascent();
      painter.drawText(QPointF(page.left(), baseline), rows[r]);
    }
  }
  return painter.end();
}

// The waiting cursor while a long printout is drawn.
class Busy {
 public:
  Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Busy() { QApplication::restoreOverrideCursor(); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;
};

}  // namespace

namespace {

// The printout of the current block: its source with line numbers, or its listing, headed
// by the program file's name, the block and the date.
Printout BlockPrintout(Application& program, PrintContent content) {
  const Language language = program.settings.language;
  const BlockModel& model = program.model();
  const int block = model.CurrentBlock();
  const CompileHistory& history = model.History(block);
  const Lines source = static_cast<const WorkingCopy&>(program.Form1()).Source();
  const QString blockName = ToQt(BlockCaption(block));
  Printout printout;
  if (content == PrintContent::Listing) {
    printout = ListingPrintout(history, Text(language, TextListingNone),
                               ListingFaultNote(language, block, history));
    printout.title =
        Text(language, TitleListing).trimmed() + " - " + blockName +
        (history.compiled && !history.CurrentFor(source) ? Text(language, TextListingStale)
                                                         : QString());
  } else {
    printout = SourcePrintout(source);
    printout.title = blockName;
  }
  const QString programFile = program.Files().FileName();
  printout.file =
      programFile.isEmpty() ? Text(language, TextNeverSaved) : QFileInfo(programFile).fileName();
  const QLocale locale(language == Language::Russian ? QLocale::Russian : QLocale::English);
  printout.date = locale.toString(QDateTime::currentDateTime(), "d MMMM yyyy, HH:mm");
  return printout;
}

void ToPrinter(Application& program, const Printout& printout, const QString& documentName) {
  const Language language = program.settings.language;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(documentName);
  if (!program.dialogs().SetUpPrinter(printer)) return;
  bool printed = false;
  {
    const Busy busy;
    printed = Render(printer, printout, language);
  }
  if (!printed) program.dialogs().Error(Text(language, TextPrintFailed));
}

void ToPdf(Application& program, const Printout& printout, const QString& documentName) {
  const Language language = program.settings.language;
  const int block = program.model().CurrentBlock();
  const QString programFile = program.Files().FileName();
  // Offered beside the program's file, named after it and the block.
  const QString suggested = programFile.isEmpty()
                                ? QString("block%1.pdf").arg(block)
                                : QFileInfo(programFile)
                                      .dir()
                                      .filePath(QFileInfo(programFile).completeBaseName() +
                                                QString("-block%1.pdf").arg(block));
  const std::optional<QString> path =
      program.dialogs().SaveFile(Text(language, TextPdfFilter), "pdf", suggested);
  if (!path) return;
  // Made in memory and written as every file of the program is: beside the old file, then
  // renamed over it, with the system's reason when that fails.
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  {
    const Busy busy;
    QPdfWriter writer(&pdf);
    writer.setTitle(documentName);
    writer.setCreator(QApplication::applicationName());
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
    Render(writer, printout, language);
  }
  program.Files().WriteBytesTo(
      *path, std::string_view(pdf.data().constData(), static_cast<std::size_t>(pdf.size())));
}

}  // namespace

void PrintCurrentBlock(Application& program, PrintTarget target) {
  const Language language = program.settings.language;
  const std::optional<PrintContent> content = program.dialogs().ChoosePrintContent(
      Text(language, target == PrintTarget::Pdf ? TitleExportPdf : TitlePrint),
      program.model().History(program.model().CurrentBlock()).compiled);
  if (!content) return;
  const Printout printout = BlockPrintout(program, *content);
  const QString documentName = printout.file + " - " + printout.title;
  if (target == PrintTarget::Printer) {
    ToPrinter(program, printout, documentName);
  } else {
    ToPdf(program, printout, documentName);
  }
}

}  // namespace q41::ui
