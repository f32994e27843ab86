// Start-up of the real program when the built-in set cannot be opened: the "Application Error" box and exit
// code 1, before any window is shown. Each case runs the program in a process of its own.
#include "tempdir.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct BrokenSetCase
{
    const char* name;
    // Prepares the data directory (and, for a missing shipped set, the program's own folder).
    void (*prepare)(const std::string& dataDirectory);
    bool programWithoutShippedSet;
    const char* message; // pattern of the message line
};

void PrintTo(const BrokenSetCase& c, std::ostream* out)
{
    *out << c.name;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    testsupport::writeBytes(path, bytes);
}

const BrokenSetCase kBrokenSets[] = {
    { "missing", [](const std::string&) {}, true, "^Table does not exist\\. .*cardsfrq\\.DB\\.$" },
    { "garbage", [](const std::string& dir) { writeFile(dir + "/cardsfrq.db", std::string(4096, '\x5a')); }, false,
        "^The file is not a card set\\. .*cardsfrq\\.db\\.$" },
    { "empty file", [](const std::string& dir) { writeFile(dir + "/cardsfrq.db", ""); }, false,
        "^The file is not a card set\\. The file is empty\\. .*\\.$" },
    { "truncated",
        [](const std::string& dir) {
            std::string shipped = testsupport::readBytes(fs::path(KARTE_EXECUTABLE).parent_path() / "cardsfrq.db");
            writeFile(dir + "/cardsfrq.db", shipped.substr(0, 1000));
        },
        false, "^The card set file is damaged\\. .*\\.$" },
};

class BrokenBuiltInSet : public ::testing::TestWithParam<BrokenSetCase>
{
};

TEST_P(BrokenBuiltInSet, ShowsTheApplicationErrorBoxAndExitsWithCodeOne)
{
    const BrokenSetCase& c = GetParam();
    testsupport::TempDir home(false);
    const std::string dataDirectory = home.path() + "/data/karte32";
    c.prepare(dataDirectory);
    std::string before;
    if (fs::exists(dataDirectory + "/cardsfrq.db"))
        before = testsupport::readBytes(dataDirectory + "/cardsfrq.db");

    // A program whose folder holds no shipped set has nothing to seed the data directory from.
    std::string program = KARTE_EXECUTABLE;
    if (c.programWithoutShippedSet) {
        fs::create_directories(home.path() + "/bin");
        program = home.path() + "/bin/karte";
        fs::copy_file(KARTE_EXECUTABLE, program);
    }

    QProcess karte;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(home.path() + "/data"));
    environment.insert("KARTE_MESSAGE_LOG", QString::fromStdString(home.path() + "/messages.log"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    karte.setProcessEnvironment(environment);
    karte.start(QString::fromStdString(program), {});
    ASSERT_TRUE(karte.waitForFinished(30000)) << "the program did not end";

    EXPECT_EQ(karte.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(karte.exitCode(), 1);
    QFile log(QString::fromStdString(home.path() + "/messages.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList boxes = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    // One box only: the start-up failure, never the ordinary error box.
    ASSERT_EQ(boxes.size(), 1) << boxes.join('\n').toStdString();
    const QStringList parts = boxes[0].split('\t');
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0], "Application Error");
    const QStringList lines = parts[1].split("\\n");
    ASSERT_EQ(lines.size(), 2) << parts[1].toStdString();
    EXPECT_TRUE(
        QRegularExpression("^Exception DatabaseError in module karte at 0x[0-9a-f]+\\.$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression(c.message).match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_FALSE(lines[1].endsWith("..")) << lines[1].toStdString();
    // A broken set is left as it was found.
    if (!before.empty()) {
        EXPECT_EQ(testsupport::readBytes(dataDirectory + "/cardsfrq.db"), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenBuiltInSet, ::testing::ValuesIn(kBrokenSets), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

} // namespace
