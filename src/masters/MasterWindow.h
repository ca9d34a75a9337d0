#pragma once

#include "ui/AppContext.h"
#include "ui/AppValues.h"

#include <QHash>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class Recordset;

// What the category, bank and supplier maintenance windows share: the
// column of seven buttons and their states, the hint of the focused control
// in the status bar, the call-up prompt, the input check, register and
// clear steps of the code tables, the delete questions, 終り and Esc to
// close, the place at the top-left corner, and database failures shown as
// "警告" while the window stays usable. Each window keeps its own captions, titles
// and markers.
class MasterWindow : public QWidget
{
    Q_OBJECT

protected:
    // callCaption and printCaption differ between the windows.
    MasterWindow(const AppContext &context, const QString &callCaption, const QString &printCaption,
                 QWidget *parent = nullptr);

    // Which buttons a state enables; print and close are always enabled.
    struct ButtonStates
    {
        bool recorde;
        bool call;
        bool edit;
        bool del;
        bool clear;
    };
    void setButtons(const ButtonStates &states);

    // The commands of the column of buttons, each window's own; 終り closes.
    virtual void CmdRecorde_Click() = 0;
    virtual void CmdCall_Click() = 0;
    virtual void CmdEdit_Click() = 0;
    virtual void CmdDelete_Click() = 0;
    virtual void CmdClear_Click() = 0;
    virtual void CmdPrint_Click() = 0;
    // Register, call up and clear; once an entry is called up, all but register.
    void SetNormalButtons();
    void SetCalledUpButtons();

    // Panel 2 of the status bar shows the hint while the control has the focus.
    void setHint(QWidget *control, const QString &hint);
    // The window opens with the focus on `control` and its hint shown.
    void startAt(QWidget *control);
    // Adds the column of buttons, `spacing` pixels apart, to the right of
    // the window's body, and the status bar below it.
    void layOutAround(QHBoxLayout *body, int spacing);
    // Tab goes through `fields`, then down the column of buttons.
    void setTabChain(QList<QWidget *> fields);

    // A message titled "警告" with the critical icon and a confirm button.
    void warn(const QString &text);

    // The code typed into an input prompt; the empty text when the prompt is
    // cancelled, left empty, or the code holds a quote (refused with a warning).
    QString askCode(const QString &prompt, const QString &title);
    // True, after a warning, when a code holds a single quote: such a code
    // could not be found again by the record classes' criteria.
    bool refusesQuote(const QString &code);

    struct DeleteTexts
    {
        QString notCalledUp;      // message when nothing is called up
        QString notCalledUpTitle;
        QString questionTitle;    // of the delete question and of the in-use question
        QString usedBy;           // what uses the code: "手形" or "仕入先"
    };
    // Asks whether the called-up code is to be deleted; when `uses` rows
    // still use the code, a second question names how many. True when every
    // question was confirmed.
    bool confirmDelete(const QString &calledUp, const DeleteTexts &texts, const std::function<int()> &uses);

    // The check of a code and name typed in: "X1" one is missing, "X3" the
    // code is refused with its own message (a quote, or what `refused`
    // refuses), "X2" `duplicateMark` gives "x" as another entry has the code,
    // "E" the look-up failed, "" accepted. An unchanged code is not looked up
    // when the called-up entry is corrected; a register always looks.
    QString checkCodeAndName(const QString &code, const QString &name, const QString &calledUp, bool forEdit,
                             const std::function<QString()> &duplicateMark,
                             const std::function<bool()> &refused = {});
    // Register (edit false) or correct after the check: "X1" and "X2" are
    // warned of, any other result stops; else the mode flag is set ("R" or
    // "E") and `save` runs. True when saved.
    bool saveChecked(const QString &checkResult, bool edit, const std::function<void()> &save);
    // 入力消去: clears after a question; the buttons go back to normal either way.
    void askClear(const std::function<void()> &clear);

    // Opens a category table (`table`) or the banks, which have one table:
    // their record classes share one interface.
    template<typename Codes>
    void openCodes(Codes &codes, qint16 table = 0) const
    {
        codes.setDirPath(m_context.values().dataFolder());
        codes.setKbnTblNo(table);
        codes.CntDb();
    }

    // The code and name boxes of a category table or the banks, and the
    // hidden label keeping the called-up code.
    struct CodeBoxes
    {
        QLineEdit *code;
        QLineEdit *name;
        QLabel *calledUp;
    };
    // 呼び出し: the code asked for is looked up ("見つかりません。" when it is
    // missing) and its entry shown in the boxes, with the buttons of a
    // called-up entry.
    template<typename Codes>
    void callUpCode(qint16 table, const QString &prompt, const QString &title, const CodeBoxes &boxes)
    {
        const QString code = askCode(prompt, title);
        if (code.isEmpty())
            return;
        QString lookUp;
        const bool read = guarded([&] {
            Codes codes;
            openCodes(codes, table);
            lookUp = codes.DispName(code).toString();
        });
        if (!read)
            return;
        if (lookUp == QLatin1String("X")) {
            warn(QStringLiteral("見つかりません。"));
            return;
        }
        guarded([&] {
            Codes codes;
            openCodes(codes, table);
            codes.setKCode(code);
            codes.McEDsearch();
            if (codes.KCode() == QLatin1String("X"))
                return;
            rememberCalledUp(codes.KCode(), codes.Version());
            showCalledUp(boxes, codes.KCode(), codes.KName());
        });
    }
    // "x" when another entry has the code.
    template<typename Codes>
    QString duplicateMark(qint16 table, const QString &code)
    {
        Codes codes;
        openCodes(codes, table);
        return codes.DuplicateCodeCheck(code).toString();
    }
    // The list filled again from the table.
    template<typename Codes>
    void fillCodes(QTreeWidget *list, qint16 table)
    {
        clearList(list);
        guarded([&] {
            Codes codes;
            openCodes(codes, table);
            fillCodeList(list, codes.RsEd());
        });
    }
    // Deletes the entry coded `calledUp`; true when deleted.
    template<typename Codes>
    bool deleteCode(qint16 table, const QString &calledUp)
    {
        return guarded([&] {
            Codes codes;
            openCodes(codes, table);
            codes.setKCode2(calledUp);
            codes.setVersion(calledUpVersion(calledUp));
            codes.Mcdelete();
        });
    }

    // Runs one piece of database work; a failure shows "警告" and gives false.
    bool guarded(const std::function<void()> &work);

    // Fills a code and name list ("コード", "区分名") from a code table's rowset.
    static void fillCodeList(QTreeWidget *list, Recordset &rs);
    static QTreeWidget *makeCodeList(QWidget *parent);
    static void clearList(QTreeWidget *list);
    void showCalledUp(const CodeBoxes &boxes, const QString &code, const QString &name);
    // The version of the entry called up, kept with its code: a correction or
    // deletion of that code is refused once another program changed it.
    void rememberCalledUp(const QString &code, qint64 version);
    // RowVersion::unknown for any code but the one called up.
    qint64 calledUpVersion(const QString &calledUp) const;

    AppContext m_context;

    QPushButton *CmdRecorde = nullptr;
    QPushButton *CmdCall = nullptr;
    QPushButton *CmdEdit = nullptr;
    QPushButton *CmdDelete = nullptr;
    QPushButton *CmdClear = nullptr;
    QPushButton *CmdPrint = nullptr;
    QPushButton *CmdEnd = nullptr;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLayout *buttonColumn();

    QStatusBar *StatusBar1 = nullptr;
    QLabel *m_panel2 = nullptr;
    QHash<QObject *, QString> m_hints;
    QString m_calledUpCode;
    qint64 m_calledUpVersion = -1;
};
