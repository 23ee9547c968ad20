// sitekanri-cli add and list, run as the real program against temporary registers.
#include "CaseName.h"
#include "CliProcess.h"
#include "RegisterLock.h"
#include "TempRegister.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// The register's files and their bytes, to show that a refused command wrote nothing.
QMap<QString, QByteArray> snapshot(const TempRegister &reg)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(reg.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (name != RegisterLock::lockFileName())
            files.insert(name, reg.read(name));
    }
    return files;
}

// Fields given to add, as UTF-8, in field order; and the lines list prints for them.
struct Site
{
    std::vector<const char *> add;
    const char *tsv;
    const char *json;
};

const std::vector<Site> &sites()
{
    static const std::vector<Site> table{
        {{"--name", "サイト管理", "--url", "http://example.jp/", "--keyword1", "全てのキーワード", "--keyword2",
          "ｷｰﾜｰﾄﾞ", "--content", "①ⅰ～"},
         "サイト管理\thttp://example.jp/\t全てのキーワード\tｷｰﾜｰﾄﾞ\t\t①ⅰ～",
         R"({"name":"サイト管理","url":"http://example.jp/","keyword1":"全てのキーワード","keyword2":"ｷｰﾜｰﾄﾞ","keyword3":"","content":"①ⅰ～"})"},
        {{"--name", "C:\\dir\\", "--url", "u\tv", "--keyword3", "\"quoted\"", "--content", "  blanks\t"},
         "C:\\\\dir\\\\\tu\\tv\t\t\t\"quoted\"\t  blanks\\t",
         R"({"name":"C:\\dir\\","url":"u\tv","keyword1":"","keyword2":"","keyword3":"\"quoted\"","content":"  blanks\t"})"},
        {{"--name", "'x\"", "--url", "=;[x]#"},
         "'x\"\t=;[x]#\t\t\t\t",
         R"({"name":"'x\"","url":"=;[x]#","keyword1":"","keyword2":"","keyword3":"","content":""})"},
    };
    return table;
}

QByteArray lines(const char *Site::*member)
{
    QByteArray out;
    for (const Site &site : sites())
        out += QByteArray(site.*member) + '\n';
    return out;
}

class CliListAdd : public ::testing::Test
{
protected:
    void addAll()
    {
        for (const Site &site : sites()) {
            std::vector<const char *> arguments{"add"};
            arguments.insert(arguments.end(), site.add.begin(), site.add.end());
            const CliRun run = runCli(m_reg.path(), arguments);
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_TRUE(run.out.isEmpty());
        }
    }

    TempRegister m_reg;
};

TEST_F(CliListAdd, addThenList_tsvEscapesBackslashAndTab)
{
    addAll();
    const CliRun run = runCli(m_reg.path(), {"list"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, lines(&Site::tsv));
    EXPECT_EQ(runCli(m_reg.path(), {"list", "--format", "tsv"}).out, run.out);
}

TEST_F(CliListAdd, addThenList_jsonIsValidAndInFieldOrder)
{
    addAll();
    const CliRun run = runCli(m_reg.path(), {"list", "--format", "json"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, lines(&Site::json));
    const QList<QByteArray> objects = run.out.trimmed().split('\n');
    ASSERT_EQ(objects.size(), qsizetype(sites().size()));
    for (qsizetype i = 0; i < objects.size(); ++i) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(objects[i], &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << objects[i].toStdString();
        // The values decode to exactly what add was given.
        const std::vector<const char *> &given = sites()[std::size_t(i)].add;
        for (std::size_t a = 0; a + 1 < given.size(); a += 2) {
            const QString key = QString::fromUtf8(given[a] + 2); // the option without its "--"
            EXPECT_EQ(doc.object().value(key).toString(), QString::fromUtf8(given[a + 1])) << given[a];
        }
    }
}

TEST_F(CliListAdd, registerBytesAreCp932_outputAsAskedFor)
{
    addAll();
    EXPECT_TRUE(m_reg.read(QStringLiteral("data1.ini")).contains("NAME=" + Sjis("サイト管理") + "\r\n"));
    EXPECT_EQ(m_reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=3\r\n");
    // Blanks at the ends survive the file: they are written quoted.
    EXPECT_TRUE(m_reg.read(QStringLiteral("data2.ini")).contains("INDATA=\"  blanks\t\"\r\n"));

    const CliRun tsv = runCli(m_reg.path(), {"--encoding", "cp932", "list"});
    EXPECT_EQ(tsv.exitCode, 0);
    EXPECT_EQ(tsv.out, Sjis(lines(&Site::tsv).constData()));
    const CliRun json = runCli(m_reg.path(), {"--encoding", "cp932", "list", "--format", "json"});
    EXPECT_EQ(json.out, Sjis(lines(&Site::json).constData()));
    EXPECT_EQ(runCli(m_reg.path(), {"--encoding", "utf-8", "list"}).out, lines(&Site::tsv));
}

TEST_F(CliListAdd, emptyOrMissingRegisterListsNothing)
{
    const CliRun run = runCli(m_reg.path(), {"list", "--format", "json"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(snapshot(m_reg).isEmpty()); // listing writes nothing
}

struct Refusal
{
    const char *name;
    std::vector<const char *> arguments;
    int exitCode;
    const char *message; // part of the one line on stderr
};
void PrintTo(const Refusal &c, std::ostream *out) { *out << c.name; }

class CliRefusal : public ::testing::TestWithParam<Refusal>
{
};

// Usage errors exit 2, refused commands 1; either way one line on stderr, nothing on stdout,
// and the register (one site already in it) is left exactly as it was.
TEST_P(CliRefusal, exitsWithCodeAndMessage_writesNothing)
{
    TempRegister reg;
    ASSERT_EQ(runCli(reg.path(), {"add", "--name", "first", "--url", "http://first/"}).exitCode, 0);
    const auto before = snapshot(reg);
    const CliRun run = runCli(reg.path(), GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith("sitekanri-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().message)) << run.err.toStdString();
    EXPECT_EQ(snapshot(reg), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRefusal,
    ::testing::Values(
        Refusal{"no command", {}, 2, "no command given"},
        Refusal{"unknown command", {"remove"}, 2, "unknown command: remove"},
        Refusal{"two commands", {"list", "add"}, 2, "too many arguments"},
        Refusal{"unknown option", {"list", "--colour", "x"}, 2, "colour"},
        Refusal{"option of another command", {"list", "--name", "x"}, 2, "--name does not apply to list"},
        Refusal{"unknown format", {"list", "--format", "xml"}, 2, "unknown format: xml"},
        Refusal{"unknown encoding", {"--encoding", "latin1", "list"}, 2, "unknown encoding: latin1"},
        Refusal{"option without value", {"add", "--name"}, 2, "--name"},
        Refusal{"name missing", {"add", "--url", "http://x/"}, 1, "『サイト / リンク 名』を入力してください。"},
        Refusal{"name empty", {"add", "--name", "", "--url", "http://x/"}, 1, "『サイト / リンク 名』を入力してください。"},
        Refusal{"both empty", {"add", "--name", "", "--url", ""}, 1, "『サイト / リンク 名』を入力してください。"},
        Refusal{"nothing given", {"add"}, 1, "『サイト / リンク 名』を入力してください。"},
        Refusal{"url missing", {"add", "--name", "n"}, 1, "『URL』を入力してください。"},
        Refusal{"url empty", {"add", "--name", "n", "--url", ""}, 1, "『URL』を入力してください。"},
        Refusal{"emoji in the name", {"add", "--name", "猫😀", "--url", "u"}, 1,
                "『サイト / リンク 名』に保存できない文字が含まれています。"},
        Refusal{"emoji in a keyword", {"add", "--name", "n", "--url", "u", "--keyword3", "😀"}, 1,
                "『キーワード』に保存できない文字が含まれています。"},
        Refusal{"line feed in the content", {"add", "--name", "n", "--url", "u", "--content", "a\nb"}, 1,
                "『内容』に改行は入力できません。"},
        Refusal{"carriage return in the url", {"add", "--name", "n", "--url", "u\rv"}, 1,
                "『URL』に改行は入力できません。"}),
    CaseName());

// The window (another process) owns the register: add refuses and changes nothing.
TEST(CliLock, addWhileAnotherProgramHoldsTheRegister_fails)
{
    TempRegister reg;
    ASSERT_EQ(runCli(reg.path(), {"add", "--name", "first", "--url", "http://first/"}).exitCode, 0);
    const auto before = snapshot(reg);
    {
        RegisterLock lock(reg.path());
        ASSERT_EQ(lock.tryLock(), RegisterLock::State::Locked);
        const CliRun run = runCli(reg.path(), {"add", "--name", "second", "--url", "http://second/"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.startsWith("sitekanri-cli: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("使用中")) << run.err.toStdString();
        EXPECT_EQ(snapshot(reg), before);
        // Reading needs no lock.
        EXPECT_EQ(runCli(reg.path(), {"list"}).out, "first\thttp://first/\t\t\t\t\n");
    }
    // Once the lock is given up, add goes through.
    EXPECT_EQ(runCli(reg.path(), {"add", "--name", "second", "--url", "http://second/"}).exitCode, 0);
    EXPECT_EQ(runCli(reg.path(), {"list"}).out, "first\thttp://first/\t\t\t\t\nsecond\thttp://second/\t\t\t\t\n");
}

} // namespace
