// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window.h"

#include "base_ecole.h"
#include "resources/resources.h"
#include "screens/game/catalogue.h"
#include "store/csv.h"
#include "store/database.h"
#include "store/player.h"
#include "store/progress.h"
#include "store/server.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace suivi {

namespace {

enum Page { Opening, ChooseCode, AskCode, Main };

const QString childIdRole = QStringLiteral("childId");

template <typename W> W *named(W *widget, const char *objectName, const QString &accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// The child's picture, small, drawn once for the whole window's life.
QIcon pictureIcon(const QString &file)
{
    static QHash<QString, QIcon> icons;
    auto found = icons.find(file);
    if (found == icons.end())
        found = icons.insert(file, QIcon(resources::design(file, QSize(32, 32), qApp->devicePixelRatio())));
    return *found;
}

// The games and "Devine", with the key their levels are kept under.
struct GameLine {
    const char *key;
    const char *caption;
};
constexpr GameLine gameLines[] = {
    {"vents", "Les instruments à vent"},        {"cordes", "Les instruments à cordes"},
    {"percussions", "Les percussions"},         {"tous", "Tous les instruments"},
    {"familles", "Les familles d'instruments"}, {"oreille", "Devine (à l'oreille)"},
};

// Fits a table's columns and rows to its content, keeping the 24 instrument columns equal.
void fitHeatMap(QTableView *view)
{
    const int cell = view->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 12;
    view->horizontalHeader()->setDefaultSectionSize(cell);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 10);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

} // namespace

template <typename T> void Window::ask(std::function<T(store::Database &)> query, std::function<void(T)> done)
{
    m_worker->query<T>(std::move(query), this, std::move(done));
}

Window::Window(store::Location where, access::Door::Clock clock, QWidget *parent)
    : QWidget(parent)
    , m_where(std::move(where))
    , m_clock(std::move(clock))
    , m_now([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("Suivi"));
    setWindowTitle(QStringLiteral("Calivento – suivi des enfants"));
    setAccessibleName(windowTitle());
    m_worker = std::make_unique<store::Worker>(m_where);

    auto *layout = new QVBoxLayout(this);
    m_pages = named(new QStackedWidget, "pages", QStringLiteral("Suivi des enfants"));
    layout->addWidget(m_pages);
    m_status = named(new QLabel(QStringLiteral("Ouverture…")), "L_ouverture", QStringLiteral("Ouverture"));
    m_status->setAlignment(Qt::AlignCenter);
    m_pages->addWidget(m_status);
    buildCodePages();
    buildMain();
    resize(1100, 760);
    start();
}

Window::~Window() = default;

void Window::buildCodePages()
{
    // Choosing a code, on the first opening.
    auto *choose = new QWidget;
    auto *form = new QFormLayout;
    auto *intro = new QLabel(
        QStringLiteral("Choisissez un code d'accès de 4 à 8 chiffres : il sera demandé à chaque ouverture du suivi. "
                       "Choisissez « Sans code » pour un ordinateur de la maison."));
    intro->setWordWrap(true);
    const auto digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), this);
    m_newCode = named(new QLineEdit, "E_nouveau_code", QStringLiteral("Nouveau code"));
    m_newCodeAgain = named(new QLineEdit, "E_nouveau_code_encore", QStringLiteral("Le code, encore une fois"));
    for (QLineEdit *edit : {m_newCode, m_newCodeAgain}) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setValidator(digits);
        edit->setInputMethodHints(Qt::ImhDigitsOnly);
    }
    form->addRow(QStringLiteral("&Nouveau code :"), m_newCode);
    form->addRow(QStringLiteral("&Encore une fois :"), m_newCodeAgain);
    m_newCodeMessage = named(new QLabel, "L_message_code", QStringLiteral("Message"));
    m_newCodeMessage->setWordWrap(true);
    auto *keep = named(new QPushButton(QStringLiteral("&Choisir ce code")), "Command_choisir_code",
                       QStringLiteral("Choisir ce code"));
    auto *none = named(new QPushButton(QStringLiteral("&Sans code")), "Command_sans_code", QStringLiteral("Sans code"));
    connect(keep, &QPushButton::clicked, this, [this] { chooseCode(false); });
    connect(none, &QPushButton::clicked, this, [this] { chooseCode(true); });
    connect(m_newCodeAgain, &QLineEdit::returnPressed, keep, &QPushButton::click);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(none);
    buttons->addWidget(keep);
    auto *box = new QVBoxLayout(choose);
    box->addStretch();
    box->addWidget(intro);
    box->addLayout(form);
    box->addWidget(m_newCodeMessage);
    box->addLayout(buttons);
    box->addStretch();
    m_pages->addWidget(choose);

    // Asking for it.
    auto *askPage = new QWidget;
    auto *askForm = new QFormLayout;
    m_code = named(new QLineEdit, "E_code", QStringLiteral("Code d'accès"));
    m_code->setEchoMode(QLineEdit::Password);
    m_code->setValidator(digits);
    askForm->addRow(QStringLiteral("&Code d'accès :"), m_code);
    m_codeMessage = named(new QLabel, "L_message", QStringLiteral("Message"));
    m_codeMessage->setWordWrap(true);
    m_codeButton = named(new QPushButton(QStringLiteral("&Ouvrir")), "Command_ouvrir", QStringLiteral("Ouvrir"));
    m_codeButton->setDefault(true);
    connect(m_codeButton, &QPushButton::clicked, this, &Window::tryCode);
    connect(m_code, &QLineEdit::returnPressed, this, &Window::tryCode);
    m_waitTimer = new QTimer(this);
    m_waitTimer->setInterval(1000);
    connect(m_waitTimer, &QTimer::timeout, this, &Window::showWait);
    auto *askBox = new QVBoxLayout(askPage);
    askBox->addStretch();
    askBox->addLayout(askForm);
    askBox->addWidget(m_codeMessage);
    askBox->addWidget(m_codeButton, 0, Qt::AlignRight);
    askBox->addStretch();
    m_pages->addWidget(askPage);
}

void Window::buildMain()
{
    auto *main = new QWidget;
    auto *layout = new QVBoxLayout(main);
    auto *bar = new QHBoxLayout;
    m_classBox = named(new QComboBox, "Combo_classe", QStringLiteral("Classe"));
    m_periodBox = named(new QComboBox, "Combo_periode", QStringLiteral("Période"));
    for (Period p : {Period::Semaine, Period::Mois, Period::AnneeScolaire, Period::Tout})
        m_periodBox->addItem(periodCaption(p), static_cast<int>(p));
    m_periodBox->setCurrentIndex(2);
    auto *classLabel = new QLabel(QStringLiteral("C&lasse :"));
    classLabel->setBuddy(m_classBox);
    auto *periodLabel = new QLabel(QStringLiteral("&Période :"));
    periodLabel->setBuddy(m_periodBox);
    auto *exportButton =
        named(new QPushButton(QStringLiteral("E&xporter (CSV)")), "Command_exporter", QStringLiteral("Exporter (CSV)"));
    auto *printButton =
        named(new QPushButton(QStringLiteral("&Imprimer / PDF")), "Command_imprimer", QStringLiteral("Imprimer / PDF"));
    bar->addWidget(classLabel);
    bar->addWidget(m_classBox, 1);
    bar->addWidget(periodLabel);
    bar->addWidget(m_periodBox);
    bar->addStretch();
    bar->addWidget(exportButton);
    bar->addWidget(printButton);
    layout->addLayout(bar);
    m_failing = named(new QLabel, "L_echec", QStringLiteral("Résultats non gardés"));
    m_failing->setWordWrap(true);
    m_failing->setStyleSheet(QStringLiteral("QLabel { background: #fff3cd; color: #5c4400; padding: 6px; }"));
    m_failing->hide();
    layout->addWidget(m_failing);

    m_tabs = named(new QTabWidget, "Onglets", QStringLiteral("Pages du suivi"));
    m_tabs->addTab(buildChildrenTab(), QStringLiteral("&Enfants"));
    m_tabs->addTab(buildClassTab(), QStringLiteral("La c&lasse"));
    m_tabs->addTab(buildChildTab(), QStringLiteral("Un en&fant"));
    m_tabs->addTab(buildConfusionsTab(), QStringLiteral("C&onfusions"));
    auto *school = new BaseEcole(m_where.sqliteFile);
    connect(school, &BaseEcole::said, this, &Window::said);
    m_tabs->addTab(school, QStringLiteral("Base de l'é&cole"));
    layout->addWidget(m_tabs, 1);
    m_pages->addWidget(main);

    connect(m_classBox, &QComboBox::currentIndexChanged, this, [this] { refreshClass(); });
    connect(m_periodBox, &QComboBox::currentIndexChanged, this, [this] {
        refreshClass();
        refreshChild();
    });
    connect(exportButton, &QPushButton::clicked, this, &Window::exportCsv);
    connect(printButton, &QPushButton::clicked, this, &Window::printReport);
}

QWidget *Window::buildChildrenTab()
{
    auto *tab = new QWidget;
    auto *layout = new QHBoxLayout(tab);
    m_childrenTable = named(new QTableWidget(0, 3), "Table_enfants", QStringLiteral("Enfants de la classe"));
    m_childrenTable->setHorizontalHeaderLabels(
        {QStringLiteral("Prénom"), QStringLiteral("Image"), QStringLiteral("Réponses dans la période")});
    m_childrenTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_childrenTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_childrenTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_childrenTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    // The picture's caption and the count are read whole, whatever the font size.
    m_childrenTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_childrenTable->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_childrenTable->verticalHeader()->hide();
    m_childrenTable->setTabKeyNavigation(false);
    layout->addWidget(m_childrenTable, 2);

    auto *side = new QVBoxLayout;
    auto *formBox = new QGroupBox(QStringLiteral("Un enfant"));
    auto *form = new QFormLayout(formBox);
    auto *name = named(new QLineEdit, "E_prenom", QStringLiteral("Prénom"));
    name->setMaxLength(40);
    auto *picture = named(new QComboBox, "Combo_image", QStringLiteral("Image"));
    for (const game::Instrument &row : game::catalogue)
        picture->addItem(pictureIcon(QString::fromLatin1(row.file)), QString::fromUtf8(row.caption),
                         QString::fromLatin1(row.file));
    auto *klass = named(new QComboBox, "Combo_classe_enfant", QStringLiteral("Classe de l'enfant"));
    klass->setEditable(true);
    klass->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Pré&nom :"), name);
    form->addRow(QStringLiteral("I&mage :"), picture);
    form->addRow(QStringLiteral("Cla&sse :"), klass);
    side->addWidget(formBox);
    auto button = [&](const QString &text, const char *objectName) {
        QString plain = text;
        plain.remove(QLatin1Char('&'));
        auto *b = named(new QPushButton(text), objectName, plain);
        side->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("&Ajouter l'enfant"), "Command_ajouter"), &QPushButton::clicked, this,
            &Window::addChild);
    connect(button(QStringLiteral("Enregistrer les &changements"), "Command_modifier"), &QPushButton::clicked, this,
            &Window::editChild);
    connect(button(QStringLiteral("&Retirer l'enfant…"), "Command_retirer"), &QPushButton::clicked, this,
            &Window::removeChild);
    connect(button(QStringLiteral("Importer une lis&te…"), "Command_importer"), &QPushButton::clicked, this,
            &Window::importList);
    connect(button(QStringLiteral("Montrer cette classe sur ce poste"), "Command_classe_du_poste"),
            &QPushButton::clicked, this, &Window::showOnThisComputer);
    m_childrenMessage = named(new QLabel, "L_message_enfants", QStringLiteral("Message"));
    m_childrenMessage->setWordWrap(true);
    side->addWidget(m_childrenMessage);
    side->addStretch();
    connect(button(QStringLiteral("Effacer toutes les données…"), "Command_effacer"), &QPushButton::clicked, this,
            &Window::eraseEverything);
    layout->addLayout(side, 1);

    // The form follows the child selected, so that renaming starts from the name as kept.
    connect(m_childrenTable, &QTableWidget::itemSelectionChanged, this, [this, name, picture, klass] {
        const store::Child *child = selectedChild();
        if (!child)
            return;
        name->setText(child->firstName);
        picture->setCurrentIndex(std::max(0, picture->findData(child->picture)));
        for (int i = 0; i < klass->count(); ++i)
            if (klass->itemData(i).toString() == child->classId)
                klass->setCurrentIndex(i);
    });
    connect(m_childrenTable, &QTableWidget::cellActivated, this,
            [this](int row, int) { showChild(m_childrenTable->item(row, 0)->data(Qt::UserRole).toString()); });
    return tab;
}

QWidget *Window::buildClassTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *switchRow = new QHBoxLayout;
    m_byVue = named(new QRadioButton(QStringLiteral("À la &vue")), "Option_vue", QStringLiteral("À la vue"));
    m_byOreille =
        named(new QRadioButton(QStringLiteral("À l'o&reille")), "Option_oreille", QStringLiteral("À l'oreille"));
    m_byVue->setChecked(true);
    auto *group = new QButtonGroup(tab);
    group->addButton(m_byVue);
    group->addButton(m_byOreille);
    switchRow->addWidget(m_byVue);
    switchRow->addWidget(m_byOreille);
    switchRow->addStretch();
    auto *hint = new QLabel(QStringLiteral("Part des bonnes premières réponses ; « – » : moins de 3 réponses. "
                                           "Entrée ou double clic sur un enfant : sa page."));
    hint->setWordWrap(true);
    switchRow->addWidget(hint, 1);
    layout->addLayout(switchRow);
    m_classView = named(new QTableView, "Table_classe", QStringLiteral("La classe, instrument par instrument"));
    m_classView->setHorizontalHeader(new InstrumentHeader(m_classView));
    m_classView->setModel(&m_classModel);
    m_classView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_classView->setTabKeyNavigation(false);
    QFont big = m_classView->font();
    big.setBold(true);
    m_classView->setFont(big);
    fitHeatMap(m_classView);
    layout->addWidget(m_classView, 1);
    connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton *, bool on) {
        if (on)
            refreshClass();
    });
    auto open = [this](const QModelIndex &index) {
        showChild(m_classModel.headerData(index.row(), Qt::Vertical, ChildIdRole).toString());
    };
    connect(m_classView, &QTableView::activated, this, open);
    connect(m_classView, &QTableView::clicked, this, [open](const QModelIndex &index) { open(index); });
    connect(m_classView->verticalHeader(), &QHeaderView::sectionClicked, this,
            [this, open](int row) { open(m_classModel.index(row, 0)); });
    return tab;
}

QWidget *Window::buildChildTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *top = new QHBoxLayout;
    m_childBox = named(new QComboBox, "Combo_enfant", QStringLiteral("Enfant"));
    auto *label = new QLabel(QStringLiteral("En&fant :"));
    label->setBuddy(m_childBox);
    top->addWidget(label);
    top->addWidget(m_childBox, 1);
    m_playSummary = named(new QLabel, "L_jeu", QStringLiteral("Temps de jeu et manches"));
    top->addWidget(m_playSummary, 2);
    layout->addLayout(top);
    m_levels = named(new QLabel, "L_niveaux", QStringLiteral("Niveaux ouverts"));
    m_levels->setWordWrap(true);
    m_levels->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    layout->addWidget(m_levels);
    m_childView = named(new QTableView, "Table_enfant", QStringLiteral("Les 24 instruments, à la vue et à l'oreille"));
    m_childView->setHorizontalHeader(new InstrumentHeader(m_childView));
    m_childView->setModel(&m_childModel);
    m_childView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_childView->setTabKeyNavigation(false);
    fitHeatMap(m_childView);
    m_childView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    layout->addWidget(m_childView);
    auto *bottom = new QHBoxLayout;
    auto *confusionBox = new QVBoxLayout;
    auto *confusionLabel = new QLabel(QStringLiteral("Ses confusions les plus fréquentes :"));
    m_childConfusions = named(new QListWidget, "Liste_confusions_enfant", QStringLiteral("Ses confusions"));
    confusionLabel->setBuddy(m_childConfusions);
    confusionBox->addWidget(confusionLabel);
    confusionBox->addWidget(m_childConfusions);
    bottom->addLayout(confusionBox, 1);
    m_chart = named(new QChartView, "Graphique_semaines", QStringLiteral("Bonnes premières réponses par semaine"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(220);
    bottom->addWidget(m_chart, 2);
    layout->addLayout(bottom, 1);
    connect(m_childBox, &QComboBox::activated, this,
            [this](int index) { showChild(m_childBox->itemData(index).toString()); });
    return tab;
}

QWidget *Window::buildConfusionsTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(QStringLiteral("Les 10 confusions les plus fréquentes de la classe :")));
    m_classConfusions = named(new QListWidget, "Liste_confusions", QStringLiteral("Confusions de la classe"));
    m_classConfusions->setMaximumHeight(m_classConfusions->fontMetrics().height() * 11);
    layout->addWidget(m_classConfusions);
    layout->addWidget(new QLabel(QStringLiteral(
        "En ligne : l'instrument montré ou entendu ; en colonne : la réponse donnée. En vert : les bonnes réponses.")));
    m_matrixView = named(new QTableView, "Table_confusions", QStringLiteral("Tableau des confusions"));
    m_matrixView->setHorizontalHeader(new InstrumentHeader(m_matrixView));
    m_matrixView->setModel(&m_matrixModel);
    m_matrixView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_matrixView->setTabKeyNavigation(false);
    fitHeatMap(m_matrixView);
    layout->addWidget(m_matrixView, 1);
    return tab;
}

// Opening: the code kept decides the first page shown.
void Window::start()
{
    ask<QString>(
        [](store::Database &db) { return db.setting(QString::fromLatin1(access::settingKey)).value_or(QString()); },
        [this](QString kept) {
            if (kept.isEmpty()) {
                m_pages->setCurrentIndex(ChooseCode);
                m_newCode->setFocus();
                return;
            }
            m_door = std::make_unique<access::Door>(kept, m_clock);
            if (!m_door->needsCode()) {
                enter();
                return;
            }
            m_pages->setCurrentIndex(AskCode);
            m_code->setFocus();
        });
}

void Window::chooseCode(bool none)
{
    QString kept = QString::fromLatin1(access::noCode);
    if (!none) {
        if (!access::isValidCode(m_newCode->text())) {
            m_newCodeMessage->setText(QStringLiteral("Le code a de 4 à 8 chiffres."));
            m_newCode->setFocus();
            return;
        }
        if (m_newCode->text() != m_newCodeAgain->text()) {
            m_newCodeMessage->setText(QStringLiteral("Les deux codes ne sont pas les mêmes."));
            m_newCodeAgain->clear();
            m_newCodeAgain->setFocus();
            return;
        }
        kept = access::keep(m_newCode->text());
    }
    m_newCode->clear();
    m_newCodeAgain->clear();
    m_door = std::make_unique<access::Door>(kept, m_clock);
    ask<bool>([kept](store::Database &db) { return db.setSetting(QString::fromLatin1(access::settingKey), kept); },
              [this](bool) { enter(); });
}

void Window::tryCode()
{
    if (!m_door || m_checking)
        return;
    if (m_door->waitLeft() > 0) {
        showWait();
        return;
    }
    const QString code = m_code->text();
    m_code->clear();
    m_code->setEnabled(false);
    m_codeButton->setEnabled(false);
    m_checking = true;
    // 100,000 rounds of key derivation take a noticeable moment: the window stays alive meanwhile.
    QPointer<Window> self(this);
    QThread *check = QThread::create([self, code, kept = m_door->kept()] {
        const bool right = access::matches(code, kept);
        QMetaObject::invokeMethod(
            qApp,
            [self, right] {
                if (self)
                    self->codeChecked(right);
            },
            Qt::QueuedConnection);
    });
    connect(check, &QThread::finished, check, &QObject::deleteLater);
    check->start();
}

void Window::codeChecked(bool right)
{
    m_checking = false;
    m_code->setEnabled(true);
    m_codeButton->setEnabled(true);
    if (m_door->record(right) == access::Door::Verdict::Open) {
        m_codeMessage->clear();
        enter();
        return;
    }
    if (m_door->waitLeft() > 0) {
        m_waitTimer->start();
        showWait();
    } else {
        m_codeMessage->setText(QStringLiteral("Ce n'est pas le bon code."));
    }
    m_code->setFocus();
}

void Window::showWait()
{
    const qint64 left = m_door ? m_door->waitLeft() : 0;
    const bool waiting = left > 0;
    m_code->setEnabled(!waiting);
    m_codeButton->setEnabled(!waiting);
    if (waiting) {
        m_codeMessage->setText(QStringLiteral("Trop de codes faux : attendez %1 secondes avant d'essayer encore.")
                                   .arg((left + 999) / 1000));
    } else {
        m_waitTimer->stop();
        m_codeMessage->setText(QStringLiteral("Vous pouvez essayer encore."));
        m_code->setFocus();
    }
}

void Window::enter()
{
    m_pages->setCurrentIndex(Main);
    m_tabs->setFocus();
    const QString file = m_where.sqliteFile;
    ask<std::optional<QDateTime>>(
        [file](store::Database &) { return store::failingSince(file); },
        [this](std::optional<QDateTime> since) {
            m_failing->setVisible(since.has_value());
            if (since)
                m_failing->setText(
                    QStringLiteral("Des résultats n'ont pas pu être gardés depuis le %1 "
                                   "(disque plein ou fichier protégé en écriture).")
                        .arg(QLocale(QLocale::French).toString(since->toLocalTime(), QLocale::LongFormat)));
        });
    refreshClasses();
    emit opened();
}

void Window::refreshClasses(const QString &select)
{
    struct Classes {
        std::vector<store::ClassRow> list;
        QString shown;
    };
    ask<Classes>(
        [](store::Database &db) {
            Classes c;
            c.list = db.classes();
            if (c.list.empty())
                c.list.push_back(db.defaultClass());
            c.shown = db.setting(QStringLiteral("classe_du_poste")).value_or(QString());
            return c;
        },
        [this, select](Classes c) {
            const QString before = !select.isEmpty() ? select : classId().isEmpty() ? c.shown : classId();
            m_classList = std::move(c.list);
            m_shownClass = c.shown;
            auto *childClass = findChild<QComboBox *>(QStringLiteral("Combo_classe_enfant"));
            const QSignalBlocker block(m_classBox);
            m_classBox->clear();
            childClass->clear();
            for (const store::ClassRow &row : m_classList) {
                m_classBox->addItem(row.id == m_shownClass ? row.name + QStringLiteral(" (ce poste)") : row.name,
                                    row.id);
                childClass->addItem(row.name, row.id);
            }
            const int index = m_classBox->findData(before);
            m_classBox->setCurrentIndex(std::max(0, index));
            childClass->setCurrentIndex(std::max(0, index));
            refreshClass();
        });
}

QString Window::classId() const
{
    return m_classBox->currentData().toString();
}

Period Window::period() const
{
    return static_cast<Period>(m_periodBox->currentData().toInt());
}

QString Window::mode() const
{
    return m_byOreille->isChecked() ? QStringLiteral("oreille") : QStringLiteral("vue");
}

store::stats::Span Window::span() const
{
    return {periodStart(period(), m_now()), std::numeric_limits<qint64>::max()};
}

void Window::refreshClass()
{
    const QString id = classId();
    if (id.isEmpty())
        return;
    const int generation = ++m_generation;
    const QString byMode = mode();
    const store::stats::Span within = span();
    ask<ClassPage>(
        [id, byMode, within](store::Database &db) {
            ClassPage page;
            store::stats::ClassSummary summary = store::stats::classSummary(db.sql(), id, byMode, within, 10);
            page.grid = std::move(summary.grid);
            page.confusions = std::move(summary.confusions);
            page.matrix = std::move(summary.matrix);
            page.answerCounts = std::move(summary.answers);
            page.children = db.children(id);
            return page;
        },
        [this, generation](ClassPage page) {
            // A later choice of class, period or mode has been asked for since: this one is stale.
            if (generation != m_generation)
                return;
            m_class = std::move(page);
            std::vector<HeatMapModel::Line> lines;
            lines.reserve(m_class.grid.size());
            for (const store::stats::ChildRow &row : m_class.grid)
                lines.push_back({row.childId, row.firstName, row.cells});
            m_classModel.setLines(std::move(lines));
            m_matrixModel.setMatrix(m_class.matrix);
            m_classConfusions->clear();
            for (const store::stats::Confusion &c : m_class.confusions)
                m_classConfusions->addItem(classConfusion(c.shown, c.answered, c.times, c.children));
            if (m_class.confusions.empty())
                m_classConfusions->addItem(QStringLiteral("Aucune confusion dans cette période."));
            fillChildren();
            emit classShown();
        });
}

void Window::fillChildren()
{
    const QString selected = selectedChild() ? selectedChild()->id : QString();
    const QSignalBlocker block(m_childrenTable);
    m_childrenTable->setRowCount(0);
    m_childBox->clear();
    // In the heat map's order, which is French alphabetical order.
    for (const store::stats::ChildRow &row : m_class.grid) {
        const auto child = std::find_if(m_class.children.begin(), m_class.children.end(),
                                        [&](const store::Child &c) { return c.id == row.childId; });
        if (child == m_class.children.end())
            continue;
        const int r = m_childrenTable->rowCount();
        m_childrenTable->insertRow(r);
        auto *name = new QTableWidgetItem(child->firstName);
        name->setData(Qt::UserRole, child->id);
        m_childrenTable->setItem(r, 0, name);
        m_childrenTable->setItem(r, 1, new QTableWidgetItem(pictureIcon(child->picture), caption(child->picture)));
        const auto count = m_class.answerCounts.find(child->id);
        m_childrenTable->setItem(
            r, 2, new QTableWidgetItem(QString::number(count == m_class.answerCounts.end() ? 0 : count->second)));
        if (child->id == selected)
            m_childrenTable->selectRow(r);
        m_childBox->addItem(pictureIcon(child->picture), child->firstName, child->id);
    }
    const int index = m_childBox->findData(m_childId);
    if (index >= 0)
        m_childBox->setCurrentIndex(index);
    emit childrenChanged();
}

const store::Child *Window::selectedChild() const
{
    const QList<QTableWidgetItem *> items = m_childrenTable->selectedItems();
    if (items.isEmpty())
        return nullptr;
    const QString id = m_childrenTable->item(items.first()->row(), 0)->data(Qt::UserRole).toString();
    for (const store::Child &child : m_class.children)
        if (child.id == id)
            return &child;
    return nullptr;
}

void Window::showChild(const QString &childId)
{
    if (childId.isEmpty())
        return;
    m_childId = childId;
    m_tabs->setCurrentIndex(2);
    refreshChild();
}

void Window::refreshChild()
{
    if (m_childId.isEmpty())
        return;
    const QString id = m_childId;
    const store::stats::Span within = span();
    ask<ChildPage>(
        [id, within](store::Database &db) {
            ChildPage page;
            for (const store::Child &c : db.children())
                if (c.id == id)
                    page.child = c;
            page.grid = store::stats::childGrid(db.sql(), id, within);
            page.confusions = store::stats::confusions(db.sql(), {}, id, within, 5);
            page.weeks = store::stats::weekly(db.sql(), id, within);
            page.play = store::stats::play(db.sql(), id, within);
            page.levels = store::stats::levels(db.sql(), id);
            return page;
        },
        [this, id](ChildPage page) {
            if (id != m_childId)
                return;
            m_child = std::move(page);
            const int index = m_childBox->findData(id);
            if (index >= 0)
                m_childBox->setCurrentIndex(index);
            m_childModel.setLines({{id, QStringLiteral("À la vue"), m_child.grid.vue},
                                   {id, QStringLiteral("À l'oreille"), m_child.grid.oreille}});
            QStringList levels;
            for (const GameLine &line : gameLines) {
                const auto open = m_child.levels.find(QString::fromLatin1(line.key));
                levels << QStringLiteral("%1 : %2")
                              .arg(QString::fromUtf8(line.caption))
                              .arg(open == m_child.levels.end() ? 1 : open->second);
            }
            m_levels->setText(QStringLiteral("Niveaux ouverts (sur 3) — ") + levels.join(QStringLiteral(" ; ")));
            m_childConfusions->clear();
            for (const store::stats::Confusion &c : m_child.confusions)
                m_childConfusions->addItem(childConfusion(c.shown, c.answered, c.times));
            if (m_child.confusions.empty())
                m_childConfusions->addItem(QStringLiteral("Aucune confusion dans cette période."));
            const store::stats::Play &p = m_child.play;
            m_playSummary->setText(QStringLiteral("Temps de jeu : %1 — manches gagnées : %2, perdues : %3, "
                                                  "abandonnées : %4")
                                       .arg(duration(p.playedMs))
                                       .arg(p.won)
                                       .arg(p.lost)
                                       .arg(p.abandoned));
            QChart *old = m_chart->chart();
            m_chart->setChart(weeklyChart(
                m_child.weeks,
                QStringLiteral("Bonnes premières réponses de %1 par semaine").arg(m_child.child.firstName)));
            delete old;
            emit childShown();
        });
}

void Window::say(const QString &text)
{
    m_childrenMessage->setText(text);
    // Screen readers hear the message without the focus moving.
    QAccessibleEvent event(m_childrenMessage, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    emit said(text);
}

bool Window::confirm(const QString &text, const QString &yes, const QString &no)
{
    if (m_confirm)
        return m_confirm(text, yes, no);
    QMessageBox box(QMessageBox::Question, windowTitle(), text, QMessageBox::NoButton, this);
    QPushButton *yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(no, QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == yesButton;
}

namespace {

// What adding or changing a child came to.
struct ChildChange {
    bool ok = false;
    QString message;
    bool first = false; // the first child of this computer
    store::Child child;
};

// The class named in the form: an existing one, or a new one made for it.
std::optional<QString> classNamed(store::Database &db, const QString &name, QString *error)
{
    for (const store::ClassRow &row : db.classes())
        if (row.name.compare(name, Qt::CaseInsensitive) == 0)
            return row.id;
    if (const auto made = db.classNamed(name, error))
        return made->id;
    return std::nullopt;
}

// The progress files that "Reprendre la progression actuelle" reads.
constexpr const char *progressFiles[] = {"vents.nvl",  "corde.nvl",  "percu.nvl",
                                         "tinstr.nvl", "finstr.nvl", "oreille.nvl"};

} // namespace

const store::Child *Window::chosenChild()
{
    const store::Child *selected = selectedChild();
    if (!selected)
        say(QStringLiteral("Choisissez d'abord un enfant dans la liste."));
    return selected;
}

std::optional<QString> Window::readChildForm(store::Child &child)
{
    const store::NameCheck check = store::checkFirstName(findChild<QLineEdit *>(QStringLiteral("E_prenom"))->text());
    if (!check.error.isEmpty()) {
        say(check.error);
        return std::nullopt;
    }
    child.firstName = check.name;
    child.picture = findChild<QComboBox *>(QStringLiteral("Combo_image"))->currentData().toString();
    const QString className = findChild<QComboBox *>(QStringLiteral("Combo_classe_enfant"))->currentText().simplified();
    return className.isEmpty() ? store::Database::defaultClassName : className;
}

void Window::addChild()
{
    store::Child child;
    const std::optional<QString> className = readChildForm(child);
    if (!className)
        return;
    ask<ChildChange>(
        [child, className = *className](store::Database &db) mutable {
            ChildChange change;
            change.first = db.children().empty();
            QString error;
            const auto klass = classNamed(db, className, &error);
            if (!klass) {
                change.message = error;
                return change;
            }
            child.classId = *klass;
            const auto added = db.addChild(child, &error);
            change.ok = added.has_value();
            if (added)
                change.child = *added;
            change.message =
                change.ok ? QStringLiteral("%1 a rejoint la classe « %2 ».").arg(change.child.firstName, className)
                          : error;
            return change;
        },
        [this](ChildChange change) {
            say(change.message);
            if (change.ok && change.first &&
                confirm(QStringLiteral("%1 est le premier enfant de cet ordinateur. Lui donner les niveaux déjà "
                                       "ouverts sur cet ordinateur ?")
                            .arg(change.child.firstName),
                        QStringLiteral("Reprendre la progression actuelle"), QStringLiteral("Commencer au début"))) {
                const QString id = change.child.id;
                m_worker->post([id](store::Database &db) {
                    const store::progress::Store files;
                    for (const char *file : progressFiles)
                        if (const auto open = files.read(QString::fromLatin1(file)))
                            db.setLevel(id, store::gameKey(QString::fromLatin1(file)), *open);
                });
            }
            if (change.ok)
                findChild<QLineEdit *>(QStringLiteral("E_prenom"))->clear();
            // The class the child went into is shown, so that the adult sees them in the list.
            refreshClasses(change.child.classId);
        });
}

void Window::editChild()
{
    const store::Child *selected = chosenChild();
    if (!selected)
        return;
    store::Child child = *selected;
    const std::optional<QString> className = readChildForm(child);
    if (!className)
        return;
    ask<ChildChange>(
        [child, className = *className](store::Database &db) mutable {
            ChildChange change;
            QString error;
            const auto klass = classNamed(db, className, &error);
            if (!klass) {
                change.message = error;
                return change;
            }
            child.classId = *klass;
            change.ok = db.updateChild(child, &error);
            change.child = child;
            change.message =
                change.ok ? QStringLiteral("Les changements de %1 sont enregistrés.").arg(child.firstName) : error;
            return change;
        },
        [this](ChildChange change) {
            say(change.message);
            refreshClasses(change.child.classId);
        });
}

void Window::removeChild()
{
    const store::Child *selected = chosenChild();
    if (!selected)
        return;
    const store::Child child = *selected;
    ask<int>(
        [id = child.id](store::Database &db) { return db.answerCount(id); },
        [this, child](int answers) {
            const QString count = answers == 1 ? QStringLiteral("Sa réponse gardée sera effacée")
                                               : QStringLiteral("Ses %1 réponses gardées seront effacées")
                                                     .arg(QLocale(QLocale::French).toString(answers));
            if (!confirm(
                    QStringLiteral("Retirer %1 ? %2, avec ses niveaux et ses manches.").arg(child.firstName, count),
                    QStringLiteral("Retirer %1").arg(child.firstName), QStringLiteral("Annuler")))
                return;
            ask<bool>([id = child.id](store::Database &db) { return db.removeChild(id); },
                      [this, child](bool ok) {
                          say(ok ? QStringLiteral("%1 et ses réponses sont effacés.").arg(child.firstName)
                                 : QStringLiteral("La fiche de %1 n'a pas pu être effacée.").arg(child.firstName));
                          if (m_childId == child.id)
                              m_childId.clear();
                          refreshClasses();
                      });
        });
}

void Window::importList()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Importer une liste de prénoms"), QDir::homePath(),
                                     QStringLiteral("Listes (*.txt *.csv);;Tous les fichiers (*)"));
    if (!file.isEmpty())
        importFile(file);
}

void Window::showOnThisComputer()
{
    const QString id = classId();
    ask<bool>([id](store::Database &db) { return db.setSetting(QStringLiteral("classe_du_poste"), id); },
              [this](bool ok) {
                  say(ok ? QStringLiteral("Ce poste montre maintenant la classe « %1 » dans « Qui joue ? ».")
                               .arg(m_classBox->currentText())
                         : QStringLiteral("Le choix n'a pas pu être gardé."));
                  refreshClasses();
              });
}

void Window::exportCsv()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exporter les réponses"),
        QDir::home().filePath(QStringLiteral("calivento-%1.csv").arg(m_now().date().toString(Qt::ISODate))),
        QStringLiteral("CSV (*.csv)"));
    if (!file.isEmpty())
        exportTo(file);
}

Report Window::report(bool forChild) const
{
    Report r;
    const QLocale french(QLocale::French, QLocale::France);
    r.subtitle = QStringLiteral("%1 — imprimé le %2")
                     .arg(periodCaption(period()), french.toString(m_now().date(), QLocale::LongFormat));
    if (forChild) {
        r.title = QStringLiteral("Suivi de %1").arg(m_child.child.firstName);
        r.lines = {QStringLiteral("À la vue"), QStringLiteral("À l'oreille")};
        r.cells = {m_child.grid.vue, m_child.grid.oreille};
        for (const store::stats::Confusion &c : m_child.confusions)
            r.confusions << childConfusion(c.shown, c.answered, c.times);
        r.weeks = m_child.weeks;
        r.notes << m_levels->text() << m_playSummary->text();
    } else {
        const auto klass = std::find_if(m_classList.begin(), m_classList.end(),
                                        [&](const store::ClassRow &row) { return row.id == classId(); });
        r.title = QStringLiteral("Suivi de la classe « %1 » — %2")
                      .arg(klass == m_classList.end() ? QString() : klass->name,
                           m_byOreille->isChecked() ? QStringLiteral("à l'oreille") : QStringLiteral("à la vue"));
        for (const store::stats::ChildRow &row : m_class.grid) {
            r.lines << row.firstName;
            r.cells.push_back(row.cells);
        }
        for (const store::stats::Confusion &c : m_class.confusions)
            r.confusions << classConfusion(c.shown, c.answered, c.times, c.children);
    }
    return r;
}

bool Window::writePdf(const QString &file, bool forChild)
{
    QPdfWriter writer(file);
    writer.setTitle(windowTitle());
    writer.setCreator(QStringLiteral("Calivento"));
    writer.setResolution(300);
    return paintReport(writer, report(forChild));
}

void Window::printReport()
{
    const bool forChild = m_tabs->currentIndex() == 2 && !m_childId.isEmpty();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(QDir::home().filePath(
        forChild ? QStringLiteral("suivi-%1.pdf").arg(m_child.child.firstName) : QStringLiteral("suivi-classe.pdf")));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(forChild ? QStringLiteral("Imprimer le suivi de %1").arg(m_child.child.firstName)
                                   : QStringLiteral("Imprimer le suivi de la classe"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!paintReport(printer, report(forChild)))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Le rapport n'a pas pu être imprimé."));
}

void Window::eraseEverything()
{
    if (!confirm(
            QStringLiteral("Effacer toutes les données : tous les enfants, toutes les classes, toutes les réponses "
                           "et le code d'accès ? Cela ne peut pas être défait."),
            QStringLiteral("Effacer toutes les données"), QStringLiteral("Annuler")))
        return;
    ask<bool>([](store::Database &db) { return db.eraseEverything(); },
              [this](bool ok) {
                  say(ok ? QStringLiteral("Toutes les données sont effacées.")
                         : QStringLiteral("Les données n'ont pas pu être effacées."));
                  m_childId.clear();
                  refreshClasses();
              });
}

void Window::importFile(const QString &file)
{
    const QString className = findChild<QComboBox *>(QStringLiteral("Combo_classe_enfant"))->currentText().simplified();
    ask<QString>(
        [file, className](store::Database &db) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly))
                return QStringLiteral("Le fichier « %1 » ne peut pas être lu.").arg(QDir::toNativeSeparators(file));
            QString error;
            const QString name = className.isEmpty() ? store::Database::defaultClassName : className;
            const auto klass = classNamed(db, name, &error);
            if (!klass)
                return error;
            return store::csv::describe(store::csv::importNames(db, store::csv::readNames(in.readAll()), *klass), name);
        },
        [this](QString text) {
            say(text);
            refreshClasses();
        });
}

void Window::exportTo(const QString &file)
{
    ask<QString>(
        [file](store::Database &db) {
            QString error;
            const std::optional<qint64> rows = store::csv::exportAnswers(db, file, &error);
            return rows ? QStringLiteral("%1 réponses exportées dans %2.")
                              .arg(QLocale(QLocale::French).toString(*rows), QDir::toNativeSeparators(file))
                        : error;
        },
        [this](QString text) { say(text); });
}

void open()
{
    auto *window = new Window({store::defaultSqliteFile(), store::server::configured()});
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &QObject::destroyed, qApp, &QApplication::quit, Qt::QueuedConnection);
    window->show();
}

int forgetCode(const QString &sqliteFile)
{
    if (!QFile::exists(sqliteFile)) {
        std::fputs("Aucun code d'accès n'est gardé sur cet ordinateur.\n", stdout);
        return 0;
    }
    QString error;
    auto db = store::Database::open({sqliteFile, {}}, QStringLiteral("oublier-code"), &error);
    const bool ok = db && db->setSetting(QString::fromLatin1(access::settingKey), QString());
    std::fputs(ok ? "Le code d'accès du suivi des enfants est oublié : un nouveau code sera choisi à la prochaine "
                    "ouverture.\n"
                  : qPrintable(QStringLiteral("Le code n'a pas pu être oublié : %1\n").arg(error)),
               ok ? stdout : stderr);
    return ok ? 0 : 1;
}

} // namespace suivi
