// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "base_ecole.h"

#include "store/carry.h"
#include "store/database.h"
#include "store/server.h"
#include "store/sync.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <atomic>

namespace suivi {

namespace {

std::atomic_int nextConnection{0};

QString connectionName(const char *what)
{
    return QStringLiteral("calivento-base-ecole-%1-%2").arg(QLatin1String(what)).arg(nextConnection++);
}

} // namespace

QString pendingSentence(int answers, const QDateTime &since)
{
    if (answers == 0)
        return QStringLiteral("Toutes les réponses de ce poste sont sur la base de l'école.");
    const QString when = QLocale(QLocale::French).toString(since.toLocalTime(), QStringLiteral("d MMMM 'à' HH:mm"));
    return answers == 1 ? QStringLiteral("1 réponse attend d'être envoyée, depuis le %1.").arg(when)
                        : QStringLiteral("%1 réponses attendent d'être envoyées, depuis le %2.").arg(answers).arg(when);
}

BaseEcole::BaseEcole(QString localFile, QWidget *parent)
    : QWidget(parent)
    , m_localFile(std::move(localFile))
{
    auto *layout = new QVBoxLayout(this);
    auto *server = new QGroupBox(QStringLiteral("Base de l'école"), this);
    auto *form = new QFormLayout(server);
    const auto field = [&](QLineEdit *&edit, const char *name, const QString &label) {
        edit = new QLineEdit(server);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(QString(label).remove(u'&').remove(QStringLiteral(" :")));
        form->addRow(label, edit);
    };
    field(m_host, "base_hote", QStringLiteral("&Serveur :"));
    field(m_port, "base_port", QStringLiteral("Port :"));
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    m_port->setPlaceholderText(QStringLiteral("5432"));
    field(m_database, "base_nom", QStringLiteral("&Base :"));
    m_database->setPlaceholderText(QStringLiteral("calivento"));
    field(m_user, "base_utilisateur", QStringLiteral("&Utilisateur :"));
    m_user->setPlaceholderText(QStringLiteral("calivento_poste"));
    field(m_service, "base_service", QStringLiteral("ou ser&vice :"));
    auto *passwordNote = new QLabel(
        QStringLiteral("Le mot de passe ne s'écrit pas ici : il se met dans le fichier ~/.pgpass de ce compte."),
        server);
    passwordNote->setWordWrap(true);
    form->addRow(passwordNote);
    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("Enre&gistrer et essayer"), server);
    save->setObjectName(QStringLiteral("base_enregistrer"));
    m_upgrade = new QPushButton(QStringLiteral("Mettre à &jour la base de l'école"), server);
    m_upgrade->setObjectName(QStringLiteral("base_mettre_a_jour"));
    m_upgrade->hide();
    buttons->addWidget(save);
    buttons->addWidget(m_upgrade);
    buttons->addStretch();
    form->addRow(buttons);
    m_state = new QLabel(server);
    m_state->setObjectName(QStringLiteral("base_etat"));
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form->addRow(m_state);
    m_pending = new QLabel(server);
    m_pending->setObjectName(QStringLiteral("base_en_attente"));
    m_pending->setWordWrap(true);
    form->addRow(m_pending);
    layout->addWidget(server);

    auto *carried = new QGroupBox(QStringLiteral("Sans serveur : les résultats portés d'un poste à l'autre"), this);
    auto *carryLayout = new QHBoxLayout(carried);
    auto *exporter = new QPushButton(QStringLiteral("Exporter les &résultats de ce poste"), carried);
    exporter->setObjectName(QStringLiteral("exporter_poste"));
    auto *importer = new QPushButton(QStringLiteral("Impor&ter"), carried);
    importer->setObjectName(QStringLiteral("importer"));
    carryLayout->addWidget(exporter);
    carryLayout->addWidget(importer);
    carryLayout->addStretch();
    layout->addWidget(carried);
    layout->addStretch();

    connect(save, &QPushButton::clicked, this, &BaseEcole::save);
    connect(m_upgrade, &QPushButton::clicked, this, &BaseEcole::upgradeServer);
    connect(exporter, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Exporter les résultats de ce poste"),
                                                          QStringLiteral("poste.calivento"),
                                                          QStringLiteral("Résultats Calivento (*.calivento)"));
        if (!file.isEmpty())
            exportTo(file.endsWith(QLatin1String(store::carry::suffix)) ? file
                                                                        : file + QLatin1String(store::carry::suffix));
    });
    connect(importer, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Importer"), {},
                                                          QStringLiteral("Résultats Calivento (*.calivento)"));
        if (!file.isEmpty())
            importFrom(file);
    });
    fill(store::server::configured());
    refresh();
}

void BaseEcole::fill(const QString &base)
{
    if (base.startsWith(QLatin1String("service="))) {
        m_service->setText(base.mid(8));
        return;
    }
    const QUrl url(base);
    m_host->setText(url.host().isEmpty() ? QUrlQuery(url).queryItemValue(QStringLiteral("host")) : url.host());
    if (url.port() > 0)
        m_port->setText(QString::number(url.port()));
    m_database->setText(url.path().mid(1));
    m_user->setText(url.userName().isEmpty() ? QUrlQuery(url).queryItemValue(QStringLiteral("user")) : url.userName());
}

QString BaseEcole::address() const
{
    if (!m_service->text().trimmed().isEmpty())
        return QStringLiteral("service=") + m_service->text().trimmed();
    if (m_host->text().trimmed().isEmpty())
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    const QString host = m_host->text().trimmed();
    QUrlQuery query;
    if (host.startsWith(u'/'))
        query.addQueryItem(QStringLiteral("host"), host); // a local socket's folder
    else
        url.setHost(host);
    if (!m_port->text().isEmpty())
        url.setPort(m_port->text().toInt());
    url.setPath(u'/' +
                (m_database->text().trimmed().isEmpty() ? QStringLiteral("calivento") : m_database->text().trimmed()));
    url.setUserName(m_user->text().trimmed().isEmpty() ? QStringLiteral("calivento_poste") : m_user->text().trimmed());
    url.setQuery(query);
    return url.toString();
}

void BaseEcole::save()
{
    const QString base = address();
    QString error;
    if (!base.isEmpty() && !store::server::connectionString(base, &error)) {
        m_state->setText(error);
        emit said(error);
        return;
    }
    store::server::saveForThisAccount(base);
    store::server::setCommandLineBase({});
    refresh();
}

void BaseEcole::offThread(std::function<QString()> work, std::function<void(const QString &)> done)
{
    QPointer<BaseEcole> self(this);
    QThread *thread = QThread::create([self, work = std::move(work), done = std::move(done)] {
        const QString text = work();
        QMetaObject::invokeMethod(
            qApp,
            [self, done, text] {
                if (self)
                    done(text);
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void BaseEcole::refresh()
{
    const QString base = store::server::configured();
    const QString local = m_localFile;
    m_upgrade->hide();
    m_state->setText(base.isEmpty()
                         ? QStringLiteral("Ce poste n'a pas de base d'école : les résultats restent sur lui.")
                         : QStringLiteral("La base de l'école est interrogée…"));
    offThread(
        [local] {
            if (!QFileInfo::exists(local))
                return pendingSentence(0, {});
            const QString name = connectionName("attente");
            QString text;
            {
                std::optional<store::Database> db = store::Database::open({local, {}}, name);
                if (db) {
                    const store::Pending waiting = store::pending(db->sql());
                    text = pendingSentence(waiting.answers, waiting.since.value_or(QDateTime()));
                }
            }
            return text;
        },
        [this, base](const QString &text) { m_pending->setText(base.isEmpty() ? QString() : text); });
    if (base.isEmpty())
        return;
    offThread(
        [base] {
            const QString name = connectionName("essai");
            QString text;
            {
                QString error;
                if (!store::server::open(base, name, &error)) {
                    text = error;
                } else {
                    QSqlDatabase db = QSqlDatabase::database(name, false);
                    QSqlQuery query(db);
                    const int found =
                        query.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'")) && query.next()
                            ? query.value(0).toInt()
                            : 0;
                    if (found > store::schema::version)
                        text = QStringLiteral("La base de l'école vient d'une version plus récente de Calivento : "
                                              "mettez le jeu à jour sur ce poste. En attendant, il garde ses "
                                              "résultats sur lui.");
                    else if (found < store::schema::version)
                        text =
                            QStringLiteral("!La base de l'école est d'une version plus ancienne : mettez-la à jour.");
                    else
                        text = QStringLiteral("La base de l'école répond.");
                    db.close();
                }
            }
            QSqlDatabase::removeDatabase(name);
            return text;
        },
        [this](const QString &text) {
            const bool older = text.startsWith(u'!');
            m_state->setText(older ? text.mid(1) : text);
            m_upgrade->setVisible(older);
            emit refreshed();
        });
}

void BaseEcole::upgradeServer()
{
    const QString base = store::server::configured();
    m_state->setText(QStringLiteral("Mise à jour de la base de l'école…"));
    offThread(
        [base] {
            QString error;
            const QString name = connectionName("mise-a-jour");
            const bool done = store::Database::open({{}, base}, name, &error).has_value();
            return done ? QStringLiteral("La base de l'école est à jour.") : error;
        },
        [this](const QString &text) {
            m_state->setText(text);
            emit said(text);
            refresh();
        });
}

void BaseEcole::exportTo(const QString &file)
{
    const QString local = m_localFile;
    offThread([local, file] { return store::carry::exportStore(local, file).message; },
              [this](const QString &text) { emit said(text); });
}

void BaseEcole::importFrom(const QString &file)
{
    const QString where = store::server::configured();
    const QString local = m_localFile;
    offThread(
        [where, local, file] {
            QString error;
            const QString name = connectionName("import");
            std::optional<store::Database> db = store::Database::open({local, where}, name, &error);
            return db ? store::carry::importInto(db->sql(), file).message : error;
        },
        [this](const QString &text) {
            emit said(text);
            refresh();
        });
}

} // namespace suivi
