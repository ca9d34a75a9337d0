#include "ReportDefinition.h"

#include "ReportError.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

struct Entry
{
    QString key;
    QString value;
    int line = 0;
};

struct Section
{
    QString name;
    int line = 0;
    QList<Entry> entries;
};

// Reads the keys of one section, refusing keys the section does not know, so
// that a misspelt key is reported instead of silently ignored.
class SectionReader
{
public:
    SectionReader(const Section &section, const QString &fileName, std::initializer_list<const char *> known)
        : m_section(section)
        , m_fileName(fileName)
    {
        for (const Entry &e : section.entries) {
            bool ok = false;
            for (const char *k : known)
                ok = ok || e.key.compare(QLatin1String(k), Qt::CaseInsensitive) == 0;
            if (!ok)
                fail(e.line, QStringLiteral("[%1] に %2 という項目はありません").arg(section.name, e.key));
        }
    }

    [[noreturn]] void fail(int line, const QString &reason) const
    {
        throw ReportError(m_fileName, QStringLiteral("%1 行目: %2").arg(line).arg(reason));
    }

    const Entry *find(const char *key) const
    {
        const Entry *found = nullptr;
        for (const Entry &e : m_section.entries) {
            if (e.key.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                found = &e;
        }
        return found;
    }

    QString text(const char *key, const QString &fallback = QString()) const
    {
        const Entry *e = find(key);
        return e ? e->value : fallback;
    }

    QString required(const char *key) const
    {
        const Entry *e = find(key);
        if (!e || e->value.isEmpty())
            fail(m_section.line, QStringLiteral("[%1] に %2 がありません").arg(m_section.name, QLatin1String(key)));
        return e->value;
    }

    QString identifier(const char *key, bool mandatory) const
    {
        const QString value = mandatory ? required(key) : text(key);
        if (!value.isEmpty() && !ReportDefinition::isIdentifier(value))
            fail(find(key)->line, QStringLiteral("%1 の「%2」は列や表の名前ではありません").arg(QLatin1String(key), value));
        return value;
    }

    double length(const char *key, double fallback) const
    {
        const Entry *e = find(key);
        if (!e)
            return fallback;
        bool ok = false;
        const double v = QLocale::c().toDouble(e->value, &ok);
        if (!ok || v <= 0)
            fail(e->line, QStringLiteral("%1 の「%2」は正の数ではありません").arg(QLatin1String(key), e->value));
        return v;
    }

    bool flag(const char *key) const
    {
        const Entry *e = find(key);
        if (!e)
            return false;
        const QString v = e->value.toLower();
        if (v == QLatin1String("yes") || v == QLatin1String("true"))
            return true;
        if (v == QLatin1String("no") || v == QLatin1String("false"))
            return false;
        fail(e->line, QStringLiteral("%1 は Yes か No で書いてください").arg(QLatin1String(key)));
    }

    int line() const { return m_section.line; }
    int lineOf(const char *key) const
    {
        const Entry *e = find(key);
        return e ? e->line : m_section.line;
    }

private:
    const Section &m_section;
    const QString &m_fileName;
};

ReportDefinition::SortKey sortKey(const SectionReader &r, const QString &text, int line)
{
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ReportDefinition::SortKey key;
    if (words.isEmpty() || !ReportDefinition::isIdentifier(words.first()))
        r.fail(line, QStringLiteral("並び順「%1」に列の名前がありません").arg(text));
    key.field = words.first();
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString w = words.at(i).toLower();
        if (w == QLatin1String("numeric"))
            key.numeric = true;
        else if (w == QLatin1String("desc"))
            key.descending = true;
        else if (w != QLatin1String("asc"))
            r.fail(line, QStringLiteral("並び順の「%1」が分かりません (numeric, asc, desc)").arg(words.at(i)));
    }
    return key;
}

Qt::Alignment alignment(const SectionReader &r)
{
    const QString v = r.text("Align", QStringLiteral("Left")).toLower();
    if (v == QLatin1String("left"))
        return Qt::AlignLeft;
    if (v == QLatin1String("center") || v == QLatin1String("centre"))
        return Qt::AlignHCenter;
    if (v == QLatin1String("right"))
        return Qt::AlignRight;
    r.fail(r.lineOf("Align"), QStringLiteral("Align は Left, Center, Right のどれかです"));
}

QPageSize::PageSizeId paperOf(const SectionReader &r)
{
    const QString v = r.text("Paper", QStringLiteral("A4")).toUpper();
    // B sizes are the Japanese (JIS) ones an office in Japan has in its printer.
    static const struct
    {
        const char *name;
        QPageSize::PageSizeId id;
    } papers[] = {{"A3", QPageSize::A3}, {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
                  {"B4", QPageSize::JisB4}, {"B5", QPageSize::JisB5}, {"LETTER", QPageSize::Letter},
                  {"LEGAL", QPageSize::Legal}};
    for (const auto &p : papers) {
        if (v == QLatin1String(p.name))
            return p.id;
    }
    r.fail(r.lineOf("Paper"), QStringLiteral("用紙「%1」は使えません (A3, A4, A5, B4, B5, Letter, Legal)").arg(v));
}

QPageLayout::Orientation orientationOf(const SectionReader &r)
{
    const QString v = r.text("Orientation", QStringLiteral("Portrait")).toLower();
    if (v == QLatin1String("portrait"))
        return QPageLayout::Portrait;
    if (v == QLatin1String("landscape"))
        return QPageLayout::Landscape;
    r.fail(r.lineOf("Orientation"), QStringLiteral("Orientation は Portrait か Landscape です"));
}

ReportDefinition::SaveAs saveAsOf(const SectionReader &r, ReportDefinition::SaveAs fallback)
{
    const QString v = r.text("SaveAs").toLower();
    if (v.isEmpty())
        return fallback;
    if (v == QLatin1String("text"))
        return ReportDefinition::SaveAs::Text;
    if (v == QLatin1String("amount"))
        return ReportDefinition::SaveAs::Amount;
    if (v == QLatin1String("date"))
        return ReportDefinition::SaveAs::Date;
    r.fail(r.lineOf("SaveAs"), QStringLiteral("SaveAs は Text、Amount、Date のどれかです"));
}

QList<Section> sectionsOf(const QString &text, const QString &fileName)
{
    QList<Section> sections;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                throw ReportError(fileName, QStringLiteral("%1 行目: ] がありません").arg(lineNo));
            sections.append({line.mid(1, line.size() - 2).trimmed(), lineNo, {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw ReportError(fileName, QStringLiteral("%1 行目: 「項目=値」の形ではありません").arg(lineNo));
        if (sections.isEmpty())
            throw ReportError(fileName, QStringLiteral("%1 行目: 最初の [Report] より前に項目があります").arg(lineNo));
        sections.last().entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), lineNo});
    }
    return sections;
}

} // namespace

bool ReportDefinition::isIdentifier(const QString &name)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

QSizeF ReportDefinition::paperSizeMm() const
{
    const QSizeF portrait = QPageSize::size(paper, QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

ReportDefinition ReportDefinition::load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw ReportError(path, QStringLiteral("レポート ファイルが見つかりません。"));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(path, QStringLiteral("レポート ファイルを読めません (%1)。").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    if (decode.hasError())
        throw ReportError(path, QStringLiteral("レポート ファイルが UTF-8 の文字列ではありません。"));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return parse(text, path);
}

ReportDefinition ReportDefinition::parse(const QString &text, const QString &fileName)
{
    ReportDefinition d;
    d.fileName = fileName;
    d.totalLabel = QStringLiteral("合計");
    d.emptyText = QStringLiteral("印刷するデータはありません。");

    const QList<Section> sections = sectionsOf(text, fileName);
    if (sections.isEmpty() || sections.first().name.compare(QLatin1String("Report"), Qt::CaseInsensitive) != 0)
        throw ReportError(fileName, QStringLiteral("[Report] で始まっていません。"));

    for (qsizetype i = 0; i < sections.size(); ++i) {
        const Section &s = sections.at(i);
        const QString kind = s.name.toLower();
        if (kind == QLatin1String("report")) {
            const SectionReader r(s, fileName, {"Title", "Subtitle", "Source", "Location", "Sort", "Paper",
                                                "Orientation", "Margins", "FontSize", "RowHeight", "TotalLabel",
                                                "EmptyText", "CountField"});
            if (i != 0)
                r.fail(s.line, QStringLiteral("[Report] は一つだけです"));
            d.title = r.required("Title");
            d.subtitle = r.text("Subtitle");
            d.source = r.identifier("Source", true);
            d.location = r.text("Location");
            const QString sort = r.text("Sort");
            const QStringList keys = sort.split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString &k : keys)
                d.sort.append(sortKey(r, k, r.lineOf("Sort")));
            d.paper = paperOf(r);
            d.orientation = orientationOf(r);
            d.marginMm = r.length("Margins", d.marginMm);
            d.fontSizePt = r.length("FontSize", d.fontSizePt);
            d.rowHeightMm = r.length("RowHeight", d.rowHeightMm);
            d.totalLabel = r.text("TotalLabel", d.totalLabel);
            d.emptyText = r.text("EmptyText", d.emptyText);
            d.countField = r.identifier("CountField", false);
        } else if (kind == QLatin1String("lookup")) {
            const SectionReader r(s, fileName, {"Field", "Table", "Name", "Match", "Value", "Missing"});
            Lookup l;
            l.field = r.identifier("Field", true);
            l.table = r.identifier("Table", true);
            l.name = r.identifier("Name", true);
            l.match = r.identifier("Match", false);
            l.value = r.identifier("Value", false);
            if (l.match.isEmpty())
                l.match = QStringLiteral("KbnCode");
            if (l.value.isEmpty())
                l.value = QStringLiteral("KbnName");
            l.missing = r.text("Missing");
            d.lookups.append(l);
        } else if (kind == QLatin1String("column")) {
            const SectionReader r(s, fileName, {"Field", "Heading", "Width", "Align", "Format", "Sum", "SaveAs"});
            Column c;
            const QStringList parts = r.required("Field").split(QLatin1Char('+'));
            for (const QString &p : parts) {
                if (!isIdentifier(p.trimmed()))
                    r.fail(r.lineOf("Field"), QStringLiteral("Field の「%1」は列の名前ではありません").arg(p.trimmed()));
                c.fields.append(p.trimmed());
            }
            c.heading = r.text("Heading");
            c.widthMm = r.length("Width", 0);
            if (c.widthMm <= 0)
                r.fail(s.line, QStringLiteral("[Column] に Width がありません"));
            c.alignment = alignment(r);
            c.format = r.text("Format");
            c.sum = r.flag("Sum");
            c.saveAs = saveAsOf(r, SaveAs::ByFormat);
            d.columns.append(c);
        } else if (kind == QLatin1String("savedcolumn")) {
            const SectionReader r(s, fileName, {"Heading", "Value", "SaveAs"});
            d.savedColumns.append({r.required("Heading"), r.required("Value"), saveAsOf(r, SaveAs::Text)});
        } else if (kind == QLatin1String("group")) {
            const SectionReader r(s, fileName, {"Field", "Heading", "Footer"});
            Group g;
            g.key = sortKey(r, r.required("Field"), r.lineOf("Field"));
            g.heading = r.text("Heading", QLatin1Char('{') + g.key.field + QLatin1Char('}'));
            g.footer = r.text("Footer", QStringLiteral("小計"));
            d.groups.append(g);
        } else if (kind == QLatin1String("summary")) {
            const SectionReader r(s, fileName, {"Label", "Field", "Where"});
            d.summaries.append({r.required("Label"), r.identifier("Field", false), r.text("Where")});
        } else if (kind == QLatin1String("crosstab")) {
            const SectionReader r(s, fileName, {"Rows", "Columns", "Values", "RowHeading", "TotalHeading",
                                                "TotalLabel", "RowWidth", "TotalWidth", "ColumnWidth",
                                                "ColumnFormat", "ValueFormat"});
            if (d.crossTab)
                r.fail(s.line, QStringLiteral("[CrossTab] は一つだけです"));
            CrossTab x;
            x.rowField = r.identifier("Rows", true);
            x.columnField = r.identifier("Columns", true);
            x.valueField = r.identifier("Values", true);
            x.rowHeading = r.text("RowHeading");
            x.totalHeading = r.text("TotalHeading", QStringLiteral("合計"));
            x.totalLabel = r.text("TotalLabel", QStringLiteral("合計"));
            x.rowWidthMm = r.length("RowWidth", x.rowWidthMm);
            x.totalWidthMm = r.length("TotalWidth", x.totalWidthMm);
            x.columnWidthMm = r.length("ColumnWidth", x.columnWidthMm);
            x.columnFormat = r.text("ColumnFormat");
            x.valueFormat = r.text("ValueFormat");
            d.crossTab = x;
        } else {
            throw ReportError(fileName, QStringLiteral("%1 行目: [%2] という区切りはありません").arg(s.line).arg(s.name));
        }
    }

    if (d.crossTab && !d.columns.isEmpty())
        throw ReportError(fileName, QStringLiteral("[CrossTab] と [Column] は一緒に使えません。"));
    if (!d.crossTab && d.columns.isEmpty())
        throw ReportError(fileName, QStringLiteral("[Column] が一つもありません。"));
    if (d.usableWidthMm() <= 0)
        throw ReportError(fileName, QStringLiteral("余白が用紙より大きくなっています。"));
    double width = 0;
    for (const Column &c : std::as_const(d.columns))
        width += c.widthMm;
    if (d.crossTab)
        width = d.crossTab->rowWidthMm + d.crossTab->totalWidthMm + d.crossTab->columnWidthMm;
    if (width > d.usableWidthMm() + 0.5)
        throw ReportError(fileName, QStringLiteral("列の幅の合計 %1 mm が用紙の幅 %2 mm に収まりません。")
                                            .arg(width, 0, 'f', 1)
                                            .arg(d.usableWidthMm(), 0, 'f', 1));
    return d;
}
