#include "SiteStore.h"

#include "AppDirectory.h"
#include "FileAccess.h"
#include "IniDocument.h"
#include "IniValues.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

const QString kSettingFile = QStringLiteral("setting.ini");
const QByteArray kSettingSection = QByteArrayLiteral("SETTING");
const QByteArray kCountKey = QByteArrayLiteral("DATA_CNT");

// The number N of a file named exactly "data<N>.ini" (no leading zeros), or 0.
long long dataFileNumber(const std::string &name)
{
    constexpr std::size_t prefix = 4, suffix = 4; // "data", ".ini"
    if (name.size() <= prefix + suffix || name.compare(0, prefix, "data") != 0
        || name.compare(name.size() - suffix, suffix, ".ini") != 0)
        return 0;
    const std::string digits = name.substr(prefix, name.size() - prefix - suffix);
    if (digits.size() > 10 || digits[0] == '0')
        return 0;
    long long number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

// The numbers 1 … count that have a data file, ascending. Listing the folder once keeps the
// cost bounded by the files present, whatever count setting.ini claims.
std::vector<int> presentDataNumbers(const QString &directory, int count, IoResult &result)
{
    std::vector<int> numbers;
    std::error_code error;
    const std::filesystem::path folder(QFile::encodeName(directory).toStdString());
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        if (error != std::errc::no_such_file_or_directory)
            result = IoResult::failure(directory, QString::fromLocal8Bit(error.message()));
        return numbers;
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            result = IoResult::failure(directory, QString::fromLocal8Bit(error.message()));
            return {};
        }
        const long long number = dataFileNumber(it->path().filename().string());
        if (number < 1 || number > count)
            continue;
        // A folder in a data file's place, or a link to nothing, counts as missing; a file
        // that cannot even be looked at is kept, so that reading it reports why.
        std::error_code kindError;
        const std::filesystem::file_status status = it->status(kindError);
        if (!kindError && (std::filesystem::is_directory(status) || status.type() == std::filesystem::file_type::not_found))
            continue;
        numbers.push_back(int(number));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

int ParseRecordCount(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

QString DataFileName(std::size_t position)
{
    return QStringLiteral("data%1.ini").arg(position + 1);
}

IoResult SiteStore::Load()
{
    IoResult result;
    const QByteArray countText = ReadIniValue(kSettingSection, kCountKey, {}, AppFilePath(kSettingFile), &result);
    if (!result)
        return result;
    const int count = ParseRecordCount(countText);
    if (count <= 0)
        return result;

    const std::vector<int> numbers = presentDataNumbers(AppDirectory(), count, result);
    if (!result)
        return result;
    m_sites.reserve(m_sites.size() + numbers.size());
    for (int number : numbers) {
        SiteRecord record;
        if (IoResult read = record.LoadFromFile(AppFilePath(DataFileName(std::size_t(number) - 1))); !read)
            return read;
        record.m_valid = 1;
        m_sites.push_back(record);
    }
    return result;
}

IoResult SiteStore::Save()
{
    // Refuse what the format cannot hold before anything is written.
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const QString bad = m_sites.at(i).UnstorableKey();
        if (!bad.isEmpty())
            return UnstorableValueFailure(AppFilePath(DataFileName(i)), bad);
    }

    const QString directory = AppDirectory();
    if (!QDir().mkpath(directory))
        return IoResult::failure(directory, QStringLiteral("フォルダーを作成できません"));
    RemoveLeftoverTemporaries(directory);

    FileReplacement replacement;
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        const SiteRecord &record = m_sites.at(i);
        IoResult staged = StageIniUpdate(replacement, AppFilePath(DataFileName(i)),
                                         [&record](IniDocument &file) { return record.WriteTo(file); });
        if (!staged)
            return staged;
    }
    // The count goes last, so that a reader never counts a record whose file is not there yet.
    const QByteArray count = QByteArray::number(qulonglong(m_sites.size()));
    IoResult staged = StageIniUpdate(replacement, AppFilePath(kSettingFile), [&count](IniDocument &file) {
        return file.setValue(kSettingSection, kCountKey, count);
    });
    if (!staged)
        return staged;
    return replacement.commit();
}
