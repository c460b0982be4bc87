#pragma once
// A fresh database of each engine for every test: an SQLite file in a
// scratch folder, or a database of its own on the PostgreSQL server that
// scripts/test.sh starts (pg_virtualenv sets PGHOST, PGPORT, PGUSER and
// PGPASSWORD), dropped afterwards, so that tests run side by side.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <atomic>

#include "records/store.hpp"
#include "support/scripted.hpp"

namespace varnel::test {

inline QString q(const std::string& s) { return QString::fromStdString(s); }

inline QByteArray fileHash(const std::string& path) {
  QFile f(q(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The server's address without a database, from the environment.
inline QString serverAddress() {
  const QString host = qEnvironmentVariable("PGHOST");
  if (host.isEmpty()) return {};
  const QString user = qEnvironmentVariable("PGUSER");
  const QString port = qEnvironmentVariable("PGPORT");
  return QStringLiteral("postgresql://") + (user.isEmpty() ? QString() : user + QLatin1Char('@')) + host +
         (port.isEmpty() ? QString() : QLatin1Char(':') + port) + QLatin1Char('/');
}

// Statements run on the database directly, past the store, to set up what a
// test needs (an old or damaged database) or to look under it.
class Raw {
 public:
  Raw(records::Engine engine, const QString& database)
      : name_(QStringLiteral("raw-%1-%2").arg(getpid()).arg(next()++)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(engine == records::Engine::SQLite ? "QSQLITE" : "QPSQL", name_);
    if (engine == records::Engine::SQLite) {
      db.setDatabaseName(database);
    } else {
      const QString rest = database.mid(serverAddress().size());
      db.setDatabaseName(rest.isEmpty() ? qEnvironmentVariable("PGDATABASE", "postgres") : rest);
    }
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
  }
  Raw(const Raw&) = delete;
  Raw& operator=(const Raw&) = delete;
  ~Raw() {
    QSqlDatabase::database(name_, false).close();
    QSqlDatabase::removeDatabase(name_);
  }
  void run(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
  }
  QVariant value(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    EXPECT_TRUE(query.exec(sql) && query.next()) << sql.toStdString();
    return query.value(0);
  }

 private:
  static std::atomic<int>& next() {
    static std::atomic<int> n{0};
    return n;
  }
  QString name_;
};

class Engines : public ::testing::TestWithParam<records::Engine> {
 protected:
  void SetUp() override {
    if (GetParam() == records::Engine::SQLite) {
      database = q(dir.file("records.sqlite"));
      return;
    }
    if (serverAddress().isEmpty()) {
      // In CI scripts/test.sh always starts a server: a missing one fails there.
      if (!qEnvironmentVariableIsEmpty("CI")) FAIL() << "no PostgreSQL server (PGHOST is not set)";
      GTEST_SKIP() << "no PostgreSQL server: PGHOST is not set (scripts/test.sh starts one with pg_virtualenv)";
    }
    static std::atomic<int> n{0};
    pgName = QStringLiteral("varnel_test_%1_%2").arg(getpid()).arg(n++);
    Raw(GetParam(), serverAddress()).run("CREATE DATABASE " + pgName);
    database = serverAddress() + pgName;
  }
  void TearDown() override {
    if (!pgName.isEmpty()) Raw(GetParam(), serverAddress()).run("DROP DATABASE " + pgName + " WITH (FORCE)");
  }
  std::unique_ptr<records::Store> open(const records::OpenOptions& o = {}) {
    records::Result<std::unique_ptr<records::Store>> s = records::Store::open(database, o);
    EXPECT_TRUE(s.ok()) << s.status.message.toStdString();
    return std::move(s.value);
  }
  bool sqlite() const { return GetParam() == records::Engine::SQLite; }

  ScratchDir dir;
  QString database, pgName;
};

inline std::string engineName(const ::testing::TestParamInfo<records::Engine>& p) {
  return p.param == records::Engine::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace varnel::test
