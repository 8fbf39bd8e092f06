// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "access.h"
#include "models.h"
#include "report.h"
#include "rules.h"
#include "store/database.h"
#include "store/records.h"
#include "store/stats.h"
#include "store/worker.h"

#include <QWidget>
#include <memory>
#include <optional>

class QButtonGroup;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace suivi {

// What a child's page shows, gathered on the store's thread.
struct ChildPage {
    store::Child child;
    store::stats::ChildGrid grid;
    std::vector<store::stats::Confusion> confusions;
    std::vector<store::stats::Week> weeks;
    store::stats::Play play;
    std::map<QString, int> levels;
};

// What "La classe" and "Confusions" show.
struct ClassPage {
    std::vector<store::stats::ChildRow> grid;
    std::vector<store::stats::Confusion> confusions;
    store::stats::Matrix matrix;
    std::map<QString, int> answerCounts;
    std::vector<store::Child> children;
};

// "Suivi des enfants": the adults' view, an ordinary window with layouts. Every piece of data
// comes from the store's thread; the window only lays it out.
class Window : public QWidget
{
    Q_OBJECT
public:
    explicit Window(store::Location where, access::Door::Clock clock = {}, QWidget *parent = nullptr);
    ~Window() override;

    // The current time for the periods; tests set it.
    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }

    Period period() const;
    QString mode() const; // "vue" or "oreille"
    QString classId() const;
    const QString &shownChildId() const { return m_childId; }
    const ClassPage &classPage() const { return m_class; }
    const ChildPage &childPage() const { return m_child; }

    // The A4 report of the class, or of the child shown when forChild.
    bool writePdf(const QString &file, bool forChild);
    // Imports a list of first names into the class chosen; the result is said in the view.
    void importFile(const QString &file);
    // Opens a child's page, as a click on their row does.
    void showChild(const QString &childId);
    // Writes every answer kept, as "Exporter (CSV)" does once a file is chosen.
    void exportTo(const QString &file);

    // Asks the adult yes or no (tests answer in its place).
    using Confirm = std::function<bool(const QString &text, const QString &yes, const QString &no)>;
    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

signals:
    // Each time a page's data has been laid out (tests wait for these).
    void opened();
    void classShown();
    void childShown();
    void childrenChanged();
    void said(const QString &text);

private:
    template <typename T> void ask(std::function<T(store::Database &)> query, std::function<void(T)> done);

    void buildCodePages();
    void buildMain();
    QWidget *buildChildrenTab();
    QWidget *buildClassTab();
    QWidget *buildChildTab();
    QWidget *buildConfusionsTab();

    void start();
    void chooseCode(bool none);
    void tryCode();
    void codeChecked(bool right);
    void showWait();
    void enter();

    // select: the class to show afterwards (the one shown so far when empty).
    void refreshClasses(const QString &select = {});
    void refreshClass();
    void refreshChild();
    void fillChildren();

    void addChild();
    void editChild();
    void removeChild();
    void importList();
    void showOnThisComputer();
    void exportCsv();
    void printReport();
    void eraseEverything();

    store::stats::Span span() const;
    // The child picked in the list, or nothing and a word to the adult.
    const store::Child *chosenChild();
    // The form's name, picture and class into the child; the class's name, or nothing when the
    // name is refused (the adult is told why).
    std::optional<QString> readChildForm(store::Child &child);
    const store::Child *selectedChild() const;
    void say(const QString &text);
    bool confirm(const QString &text, const QString &yes, const QString &no);
    Report report(bool forChild) const;

    store::Location m_where;
    std::unique_ptr<store::Worker> m_worker;
    std::unique_ptr<access::Door> m_door;
    access::Door::Clock m_clock;
    std::function<QDateTime()> m_now;
    Confirm m_confirm;
    int m_generation = 0;
    bool m_checking = false; // a code is being checked

    QStackedWidget *m_pages = nullptr;
    QLabel *m_status = nullptr;
    // Choosing a code.
    QLineEdit *m_newCode = nullptr;
    QLineEdit *m_newCodeAgain = nullptr;
    QLabel *m_newCodeMessage = nullptr;
    // Asking for it.
    QLineEdit *m_code = nullptr;
    QPushButton *m_codeButton = nullptr;
    QLabel *m_codeMessage = nullptr;
    QTimer *m_waitTimer = nullptr;

    QComboBox *m_classBox = nullptr;
    QComboBox *m_periodBox = nullptr;
    QLabel *m_failing = nullptr;
    QTabWidget *m_tabs = nullptr;

    QTableWidget *m_childrenTable = nullptr;
    QLabel *m_childrenMessage = nullptr;

    QRadioButton *m_byVue = nullptr;
    QRadioButton *m_byOreille = nullptr;
    QTableView *m_classView = nullptr;
    HeatMapModel m_classModel;

    QComboBox *m_childBox = nullptr;
    QLabel *m_levels = nullptr;
    QTableView *m_childView = nullptr;
    HeatMapModel m_childModel;
    QListWidget *m_childConfusions = nullptr;
    QChartView *m_chart = nullptr;
    QLabel *m_playSummary = nullptr;

    QListWidget *m_classConfusions = nullptr;
    QTableView *m_matrixView = nullptr;
    MatrixModel m_matrixModel;

    std::vector<store::ClassRow> m_classList;
    QString m_shownClass; // "classe_du_poste"
    ClassPage m_class;
    ChildPage m_child;
    QString m_childId;
};

// calivento --suivi: the window, the program ending when it is closed.
void open();
// calivento --oublier-code: the next opening asks for a new code. Exit status, message printed.
int forgetCode(const QString &sqliteFile = store::defaultSqliteFile());

} // namespace suivi
