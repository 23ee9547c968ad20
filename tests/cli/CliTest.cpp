// sitekanri-cli run as the real program against temporary registers.
#include "CaseName.h"
#include "TempRegister.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One run of this build's sitekanri-cli on the register in `dir`.
ProgramRun runCli(const QString &dir, const std::vector<const char *> &arguments)
{
    QStringList args{QStringLiteral("--dir"), dir};
    for (const char *argument : arguments)
        args << QString::fromUtf8(argument);
    return RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), args);
}

void add(const QString &dir, std::vector<const char *> arguments)
{
    arguments.insert(arguments.begin(), "add");
    const ProgramRun run = runCli(dir, arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
}

// Fields given to add, as UTF-8, in field order; and the lines list prints for them.
struct Site
{
    std::vector<const char *> add;
    const char *tsv;
    const char *json;
};

const Site kSites[] = {
    {{"--name", "サイト管理", "--url", "http://example.jp/", "--keyword1", "全てのキーワード", "--keyword2", "ｷｰﾜｰﾄﾞ",
      "--content", "①ⅰ～"},
     "サイト管理\thttp://example.jp/\t全てのキーワード\tｷｰﾜｰﾄﾞ\t\t①ⅰ～",
     R"({"id":1,"name":"サイト管理","url":"http://example.jp/","keyword1":"全てのキーワード","keyword2":"ｷｰﾜｰﾄﾞ","keyword3":"","content":"①ⅰ～"})"},
    {{"--name", "C:\\dir\\", "--url", "u\tv", "--keyword3", "\"quoted\"", "--content", "  blanks\t"},
     "C:\\\\dir\\\\\tu\\tv\t\t\t\"quoted\"\t  blanks\\t",
     R"({"id":2,"name":"C:\\dir\\","url":"u\tv","keyword1":"","keyword2":"","keyword3":"\"quoted\"","content":"  blanks\t"})"},
    {{"--name", "'x\"", "--url", "=;[x]#"}, "'x\"\t=;[x]#\t\t\t\t",
     R"({"id":3,"name":"'x\"","url":"=;[x]#","keyword1":"","keyword2":"","keyword3":"","content":""})"},
};

QByteArray lines(const char *Site::*member)
{
    QByteArray out;
    for (const Site &site : kSites)
        out += QByteArray(site.*member) + '\n';
    return out;
}

// TSV escapes backslash and tab; JSON in field order; the register holds CP932 and the output
// is in the encoding asked for.
TEST(CliListAdd, addThenList_inEachFormatAndEncoding)
{
    TempRegister m_reg;
    for (const Site &site : kSites)
        add(m_reg.path(), site.add);
    EXPECT_TRUE(m_reg.read(QStringLiteral("data1.ini")).contains("NAME=" + Sjis("サイト管理") + "\r\n"));
    EXPECT_EQ(m_reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=3\r\n");
    EXPECT_TRUE(m_reg.read(QStringLiteral("data2.ini")).contains("INDATA=\"  blanks\t\"\r\n")); // blanks kept by quoting
    const ProgramRun run = runCli(m_reg.path(), {"list"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, lines(&Site::tsv));
    EXPECT_EQ(runCli(m_reg.path(), {"--encoding", "utf-8", "list", "--format", "tsv"}).out, lines(&Site::tsv));
    EXPECT_EQ(runCli(m_reg.path(), {"list", "--format", "json"}).out, lines(&Site::json));
    EXPECT_EQ(runCli(m_reg.path(), {"--encoding", "cp932", "list"}).out, Sjis(lines(&Site::tsv).constData()));
    EXPECT_EQ(runCli(m_reg.path(), {"--encoding", "cp932", "list", "--format", "json"}).out, Sjis(lines(&Site::json).constData()));
}

// In CP932 the stored bytes come out as stored: a trail byte 0x5C (表, ソ) is no backslash to escape,
// and bytes the code page cannot decode are not replaced.
TEST(CliListAdd, cp932ListKeepsStoredBytes)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n");
    reg.write(QStringLiteral("data1.ini"), "[DATA]\r\nNAME=\x95\\\x83\\\\x\r\nURL=a\tb\x85\x40\xA0\"\r\n");
    EXPECT_EQ(runCli(reg.path(), {"--encoding", "cp932", "list"}).out,
              "\x95\\\x83\\\\\\x\ta\\tb\x85\x40\xA0\"\t\t\t\t\n");
    EXPECT_EQ(runCli(reg.path(), {"--encoding", "cp932", "list", "--format", "json"}).out,
              "{\"id\":1,\"name\":\"\x95\\\x83\\\\\\x\",\"url\":\"a\\tb\x85\x40\xA0\\\"\",\"keyword1\":\"\",\"keyword2\":\"\","
              "\"keyword3\":\"\",\"content\":\"\"}\n");
    EXPECT_TRUE(runCli(reg.path(), {"list"}).out.startsWith("表ソ\\\\x\t")); // UTF-8: decoded, then escaped
}

// Whatever bytes a record holds, each line of JSON is valid and holds the record's number.
TEST(CliListAdd, jsonIsValidForAnyBytes)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=7\r\n");
    reg.write(QStringLiteral("data7.ini"), QByteArray("[DATA]\r\nNAME=\x01\x1F\x7F\x81\x7F\xFF\x80\xA0\\\"\r\nURL=\x82\r\n"));
    const ProgramRun run = runCli(reg.path(), {"list", "--format", "json"});
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(json[QStringLiteral("id")].toInt(), 7);
    EXPECT_TRUE(json[QStringLiteral("name")].toString().startsWith(QStringLiteral("\x01\x1F")));
}

// The folder's name is used byte for byte, whether or not it is UTF-8.
TEST(CliListAdd, dirIsTakenAsGiven)
{
    QTemporaryDir root;
    const QByteArray folder = QFile::encodeName(root.path()) + "/reg\xFF\xFE";
    const QByteArray program = SITEKANRI_CLI_PATH;
    const char *argv[] = {program.constData(), "--dir", folder.constData(), "add", "--name", "n", "--url", "u", nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(argv[0], const_cast<char **>(argv));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat written {};
    EXPECT_EQ(::stat(folder + "/data1.ini", &written), 0) << "the record went to another folder";
}

TEST(CliListAdd, emptyOrMissingRegisterListsNothing)
{
    TempRegister m_reg;
    const ProgramRun run = runCli(m_reg.path(), {"list", "--format", "json"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    Snapshot after = TakeSnapshot(m_reg.path());
    after.erase(QStringLiteral("sitekanri.lock"));
    EXPECT_TRUE(after.empty()); // listing writes nothing
}

// Output that cannot be written (here a full disk) is a failure, never exit 0 with a cut-off text.
TEST(CliListAdd, unwritableOutputFails)
{
    TempRegister reg;
    add(reg.path(), {"--name", "first", "--url", "http://first/"});
    for (const char *command : {"list", "keywords", "links"}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(SITEKANRI_CLI_PATH),
                      {QStringLiteral("--dir"), reg.path(), QString::fromLatin1(command)});
        ASSERT_TRUE(process.waitForFinished(30000)) << command;
        EXPECT_EQ(process.exitCode(), 1) << command;
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(err.startsWith("sitekanri-cli: cannot write to standard output")) << err.toStdString();
    }
}

// Asking for help is no usage error: the summary goes to stdout and the exit is 0, whatever
// else is on the line.
TEST(CliHelp, printsUsageOnStandardOutput)
{
    TempRegister reg;
    for (const std::vector<const char *> &arguments : {std::vector<const char *>{"--help"}, {"list", "-h"}}) {
        const ProgramRun run = runCli(reg.path(), arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments.front();
        EXPECT_TRUE(run.out.startsWith("usage: sitekanri-cli ")) << run.out.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }
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
    const Snapshot before = TakeSnapshot(reg.path());
    const ProgramRun run = runCli(reg.path(), GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith("sitekanri-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().message)) << run.err.toStdString();
    EXPECT_EQ(TakeSnapshot(reg.path()), before);
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
        Refusal{"both empty", {"add", "--name", "", "--url", ""}, 1, "『サイト / リンク 名』を入力してください。"},
        Refusal{"url missing", {"add", "--name", "n"}, 1, "『URL』を入力してください。"},
        Refusal{"emoji in a keyword", {"add", "--name", "n", "--url", "u", "--keyword3", "😀"}, 1,
                "『キーワード』に保存できない文字が含まれています。"},
        Refusal{"line feed in the content", {"add", "--name", "n", "--url", "u", "--content", "a\nb"}, 1,
                "『内容』に改行は入力できません。"},
        Refusal{"unknown link mode", {"links", "--mode", "html"}, 2, "unknown mode: html"},
        Refusal{"keyword the register cannot hold", {"links", "--keyword", "😀"}, 1, "characters the register cannot store"}),
    CaseName());

// keywords and links over a register that add has written.

// Three sites: markup and quotes in the fields, keyword fields left empty in the first two.
class CliLinks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        add(m_register.path(), {"--name", "A&B <サイト>", "--url", "http://a.jp/?q=\"1\"", "--keyword1", "東京", "--keyword2", "趣味",
             "--content", "説明A"});
        add(m_register.path(), {"--name", "日記", "--url", "http://d.jp/", "--keyword1", "趣味", "--keyword3", "写真"});
        add(m_register.path(), {"--name", "C", "--url", "http://c.jp/", "--keyword1", "東京", "--keyword2", "写真", "--keyword3", "趣味",
             "--content", "<b>C</b>"});
    }

    TempRegister m_register;
};

TEST_F(CliLinks, keywords_firstAppearanceWithBlankLine)
{
    const char *const expected = "全てのキーワード\n東京\n趣味\n\n写真\n";
    const ProgramRun run = runCli(m_register.path(), {"keywords"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray(expected));
    EXPECT_EQ(runCli(m_register.path(), {"--encoding", "cp932", "keywords"}).out, Sjis(expected));
}

struct LinksCase
{
    const char *name;
    std::vector<const char *> arguments;
    const char *expected; // UTF-8 source
    bool cp932 = false;   // asked for in the register's code page
};
void PrintTo(const LinksCase &c, std::ostream *out) { *out << c.name; }

class CliLinksOutput : public CliLinks, public ::testing::WithParamInterface<LinksCase>
{
};

TEST_P(CliLinksOutput, printsGeneratedCode)
{
    std::vector<const char *> arguments{"links"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const ProgramRun run = runCli(m_register.path(), arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, GetParam().cp932 ? Sjis(GetParam().expected) : QByteArray(GetParam().expected));
}

const char *const kAllByName = "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                               "<A href=\"http://d.jp/\">日記</A><BR>\r\n"
                               "<A href=\"http://c.jp/\">C</A><BR>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLinksOutput,
    ::testing::Values(
        LinksCase{"defaults", {}, kAllByName},
        LinksCase{"content",
                  {"--mode", "content"},
                  "<A href=\"http://a.jp/?q=\"1\"\">説明A</A><BR>\r\n"
                  "<A href=\"http://d.jp/\"></A><BR>\r\n"
                  "<A href=\"http://c.jp/\"><b>C</b></A><BR>\r\n"},
        LinksCase{"name and content",
                  {"--mode", "name-and-content"},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A>\r\n説明A<BR>\r\n"
                  "<A href=\"http://d.jp/\">日記</A>\r\n<BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A>\r\n<b>C</b><BR>\r\n"},
        LinksCase{"keyword",
                  {"--keyword", "写真"},
                  "<A href=\"http://d.jp/\">日記</A><BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A><BR>\r\n"},
        LinksCase{"blank keyword takes sites with an empty keyword",
                  {"--keyword", ""},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                  "<A href=\"http://d.jp/\">日記</A><BR>\r\n"},
        LinksCase{"register code page",
                  {"--encoding", "cp932", "--keyword", "東京"},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A><BR>\r\n",
                  true}),
    CaseName());

} // namespace
