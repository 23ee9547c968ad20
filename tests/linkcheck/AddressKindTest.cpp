// Where a host spelt in a URL leads, in every spelling the resolver reads.
#include "AddressKind.h"
#include "CaseFile.h"

namespace {

TEST(AddressKind, tellsInternalAddressesInEverySpelling)
{
    const char *const names[] = {"name", "public", "internal", "unspecified"};
    for (const QStringList &row : ReadCaseFile(QStringLiteral(TEST_DATA "/address_kinds.tsv")))
        EXPECT_EQ(names[int(AddressKind::ofHost(row[0]))], row[1].toStdString()) << row[0].toStdString();
}

} // namespace
