#include "IniValues.h"

#include "FileAccess.h"
#include "IniDocument.h"

QByteArray ReadIniValue(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue,
                        const QString &path, IoResult *result)
{
    QByteArray bytes;
    bool exists = false;
    const IoResult read = ReadWholeFile(path, bytes, exists);
    if (result)
        *result = read;
    if (!read)
        return UnquoteIniValue(defaultValue);
    return IniDocument::parse(bytes).value(section, key, defaultValue);
}

IoResult WriteIniValue(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                       const QString &path)
{
    if (!IsStorableIniValue(value))
        return UnstorableValueFailure(path, QString::fromLatin1(key));
    return UpdateIniFile(path, [&](IniDocument &file) { return file.setValue(section, key, value); });
}

IoResult StageIniUpdate(FileReplacement &replacement, const QString &path, const IniChange &change)
{
    QByteArray bytes;
    bool exists = false;
    if (IoResult read = ReadWholeFile(path, bytes, exists); !read)
        return read;
    IniDocument file = IniDocument::parse(bytes);
    if (!change(file) && exists)
        return IoResult::success();
    return replacement.stage(path, file.serialize());
}

IoResult UpdateIniFile(const QString &path, const IniChange &change)
{
    FileReplacement replacement;
    if (IoResult staged = StageIniUpdate(replacement, path, change); !staged)
        return staged;
    return replacement.commit();
}

IoResult UnstorableValueFailure(const QString &path, const QString &key)
{
    return IoResult::failure(path, key + QStringLiteral(": 改行を含む値は保存できません"));
}
