// quorvel.ini's [Database] section read from a real folder: the economy it
// chooses, every value refused with what is used instead, a store that
// stays closed rather than falling back to files, and a password that never
// reaches a console line.
#include "gold/database_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace quorvel::testing {
namespace {

class DatabaseSettingsFolder : public ::testing::Test {
protected:
    DatabaseSettingsFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-dbsettings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder");
        }
        folder_ = pattern;
    }
    ~DatabaseSettingsFolder() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // quorvel.ini holding `lines` under [Database], then read.
    DatabaseSettingsRead readSection(const std::string& lines) {
        std::ofstream(folder_ + "/quorvel.ini", std::ios::binary)
            << "[Settings]\nInventory=1\n[Database]\n"
            << lines << "[Gold]\nKill=2\n";
        return readDatabaseSettings(platform::realPlatform(), folder_);
    }

    std::string folder_;
};

std::string findingsText(const DatabaseSettingsRead& read) {
    std::string text;
    for (const std::string& line : read.findings) {
        text += line + "\n";
    }
    return text;
}

const std::string goodConnection = "Driver={PostgreSQL Unicode};Server=db.example.org;"
                                   "Database=quorvel;Uid=quorvel;Pwd=secret";

TEST_F(DatabaseSettingsFolder, AMissingSectionIsTheFilesAndEveryValueIsRead) {
    // No quorvel.ini at all, then one without the section: today's files.
    for (int pass = 0; pass < 2; ++pass) {
        const DatabaseSettingsRead read =
            pass == 0 ? readDatabaseSettings(platform::realPlatform(), folder_) : readSection("");
        EXPECT_EQ(read.settings.economy, EconomyKind::files);
        EXPECT_TRUE(read.findings.empty()) << findingsText(read);
        EXPECT_FALSE(read.storeClosedBecause);
        EXPECT_EQ(read.settings.pollSeconds, 1);
        EXPECT_EQ(read.settings.loginTimeout, 5);
        EXPECT_EQ(read.settings.networkTimeoutMs, 5000);
        EXPECT_EQ(read.settings.terminateWaitMs, 2000);
        EXPECT_FALSE(read.settings.offlinePurchases);
    }

    // Every key, none at its default; the economy's name in any case; a
    // connection string longer than the services' numbers may be.
    const DatabaseSettingsRead read =
        readSection("economy=DataBase\nConnection=" + goodConnection +
                    "\nHostId=zone-east-1\nPollSeconds=7\nLoginTimeout=30\n"
                    "NetworkTimeoutMs=100\nTerminateWaitMs=0\nOfflinePurchases=1\n");
    EXPECT_TRUE(read.findings.empty()) << findingsText(read);
    EXPECT_FALSE(read.storeClosedBecause);
    EXPECT_EQ(read.settings.economy, EconomyKind::database);
    EXPECT_EQ(read.settings.connection, goodConnection);
    EXPECT_EQ(read.settings.hostId, "zone-east-1");
    EXPECT_EQ(read.settings.pollSeconds, 7);
    EXPECT_EQ(read.settings.loginTimeout, 30);
    EXPECT_EQ(read.settings.networkTimeoutMs, 100);
    EXPECT_EQ(read.settings.terminateWaitMs, 0);
    EXPECT_TRUE(read.settings.offlinePurchases);

    EXPECT_EQ(readSection("Economy=FILES\n").settings.economy, EconomyKind::files);
}

TEST_F(DatabaseSettingsFolder, ADatabaseThatCannotBeReachedKeepsTheStoreClosed) {
    // Neither the connection nor the host's name: both said, and no files
    // economy opened in the database's place.
    DatabaseSettingsRead read = readSection("Economy=database\n");
    EXPECT_EQ(read.settings.economy, EconomyKind::database);
    EXPECT_EQ(findingsText(read),
              "quorvel.ini error: Database:Connection is missing and Economy is database; the "
              "store stays closed\n"
              "quorvel.ini error: Database:HostId is missing and Economy is database; the store "
              "stays closed\n");
    ASSERT_TRUE(read.storeClosedBecause);
    EXPECT_EQ(*read.storeClosedBecause,
              "Database:Connection is missing, Database:HostId is missing");

    read = readSection("Economy=database\nConnection=" + goodConnection + "\n");
    EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:HostId is missing and Economy is "
                                  "database; the store stays closed\n");
    EXPECT_EQ(read.storeClosedBecause, "Database:HostId is missing");

    read = readSection("Economy=database\nHostId=east\nConnection=\n");
    EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:Connection is missing and "
                                  "Economy is database; the store stays closed\n");
    EXPECT_EQ(read.storeClosedBecause, "Database:Connection is missing");

    // A name other than the two: perhaps the database was meant.
    read = readSection("Economy=databse\nConnection=" + goodConnection + "\nHostId=east\n");
    EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:Economy must be files or "
                                  "database; the store stays closed\n");
    EXPECT_EQ(read.storeClosedBecause, "Database:Economy is neither files nor database");

    // The files need neither.
    read = readSection("Economy=files\n");
    EXPECT_TRUE(read.findings.empty()) << findingsText(read);
    EXPECT_FALSE(read.storeClosedBecause);
}

TEST_F(DatabaseSettingsFolder, AHostIdIsOneToSixtyFourVisibleCharacters) {
    const std::string longest(64, 'h');
    for (const std::string& name : {std::string("a"), longest, std::string("zone-east-1.eu_2")}) {
        const DatabaseSettingsRead read = readSection(
            "Economy=database\nConnection=" + goodConnection + "\nHostId=" + name + "\n");
        EXPECT_TRUE(read.findings.empty()) << name << "\n" << findingsText(read);
        EXPECT_EQ(read.settings.hostId, name);
        EXPECT_FALSE(read.storeClosedBecause);
    }
    const std::string refused =
        "quorvel.ini error: Database:HostId must be 1 to 64 visible characters without blanks";
    for (const std::string& name :
         {longest + "h", std::string("zone east"),
          std::string("zone\x01"
                      "east"),
          std::string("zone\x7f"), std::string("z\xe9na"), "\"" + longest + "h\""}) {
        const DatabaseSettingsRead read = readSection(
            "Economy=database\nConnection=" + goodConnection + "\nHostId=" + name + "\n");
        EXPECT_EQ(findingsText(read), refused + "; the store stays closed\n") << name;
        EXPECT_EQ(read.storeClosedBecause, "Database:HostId is not a host's name") << name;
        EXPECT_EQ(read.settings.hostId, "") << name;
    }
    // With the files a wrong name is said, and harms nothing.
    const DatabaseSettingsRead files = readSection("HostId=zone east\n");
    EXPECT_EQ(findingsText(files), refused + "; it is not used while Economy is files\n");
    EXPECT_FALSE(files.storeClosedBecause);
}

TEST_F(DatabaseSettingsFolder, ANumberOutsideItsRangeIsSaidAndItsDefaultUsed) {
    struct Case {
        std::string key;
        std::int32_t least;
        std::int32_t most;
        std::int32_t fallback;
        std::int32_t DatabaseSettings::*field;
    };
    for (const Case& c : {
             Case{"PollSeconds", 1, 3600, 1, &DatabaseSettings::pollSeconds},
             Case{"LoginTimeout", 1, 300, 5, &DatabaseSettings::loginTimeout},
             Case{"NetworkTimeoutMs", 100, 600000, 5000, &DatabaseSettings::networkTimeoutMs},
             Case{"TerminateWaitMs", 0, 60000, 2000, &DatabaseSettings::terminateWaitMs},
         }) {
        for (const std::int32_t within : {c.least, c.most}) {
            const DatabaseSettingsRead read =
                readSection(c.key + "=" + std::to_string(within) + "\n");
            EXPECT_TRUE(read.findings.empty()) << c.key << "=" << within << findingsText(read);
            EXPECT_EQ(read.settings.*c.field, within) << c.key;
        }
        const std::string said = "quorvel.ini error: Database:" + c.key +
                                 " must be a number from " + std::to_string(c.least) + " to " +
                                 std::to_string(c.most) + "; the default " +
                                 std::to_string(c.fallback) + " is used\n";
        for (const std::string& value :
             {std::to_string(c.least - 1), std::to_string(c.most + 1), std::string("soon"),
              std::string(""), std::string("4294967297"), std::string(70, '0') + "1"}) {
            const DatabaseSettingsRead read = readSection(c.key + "=" + value + "\n");
            EXPECT_EQ(findingsText(read), said) << c.key << "=" << value;
            EXPECT_EQ(read.settings.*c.field, c.fallback) << c.key << "=" << value;
            EXPECT_FALSE(read.storeClosedBecause);
        }
    }
    for (const char* value : {"2", "-1", "yes", ""}) {
        const DatabaseSettingsRead read =
            readSection("OfflinePurchases=" + std::string(value) + "\n");
        EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:OfflinePurchases must be 0 or "
                                      "1; the default 0 is used\n")
            << value;
        EXPECT_FALSE(read.settings.offlinePurchases);
    }
    EXPECT_TRUE(readSection("OfflinePurchases=0\n").findings.empty());
}

TEST_F(DatabaseSettingsFolder, AConnectionLongerThanItsRoomIsRefusedNotCut) {
    // Exactly the room, plain and quoted, is kept whole.
    const std::string start = "Driver={PostgreSQL Unicode};Database=quorvel;Pwd=";
    const std::string fits = start + std::string(longestConnection - start.size(), 'p');
    for (const std::string& written : {fits, "\"" + fits + "\""}) {
        const DatabaseSettingsRead read =
            readSection("Economy=database\nHostId=east\nConnection=" + written + "\n");
        EXPECT_TRUE(read.findings.empty()) << findingsText(read);
        EXPECT_EQ(read.settings.connection, fits);
    }
    // One more character, plain or quoted, and the string is refused.
    for (const std::string& written : {fits + "p", "\"" + fits + "p\""}) {
        DatabaseSettingsRead read =
            readSection("Economy=database\nHostId=east\nConnection=" + written + "\n");
        EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:Connection is longer than "
                                      "1024 characters and was cut; the store stays closed\n");
        EXPECT_EQ(read.storeClosedBecause, "Database:Connection is too long");
        EXPECT_EQ(read.settings.connection, "");

        read = readSection("Connection=" + written + "\n");
        EXPECT_EQ(findingsText(read), "quorvel.ini error: Database:Connection is longer than "
                                      "1024 characters and was cut; it is not used while "
                                      "Economy is files\n");
        EXPECT_FALSE(read.storeClosedBecause);
    }
}

TEST(DatabaseConnectionShown, NoPasswordIsEverShown) {
    EXPECT_EQ(connectionForDisplay(goodConnection),
              "Driver={PostgreSQL Unicode};Server=db.example.org;Database=quorvel;Uid=quorvel;"
              "Pwd=***");
    EXPECT_EQ(connectionForDisplay("PASSWORD=hunter2;Server=x;"), "PASSWORD=***;Server=x;");
    EXPECT_EQ(connectionForDisplay(" pwd = hunter2 ;uid=me"), " pwd =***;uid=me");
    EXPECT_EQ(connectionForDisplay("Uid=me;Password={a;b}}=c};Server=x"),
              "Uid=me;Password=***;Server=x");
    // A brace never closed: the rest of the string is the password.
    EXPECT_EQ(connectionForDisplay("Pwd={open;Server=x"), "Pwd=***");
    EXPECT_EQ(connectionForDisplay("Pwd=a;Pwd=b"), "Pwd=***;Pwd=***");
    // Neither a longer name nor a value that looks like a password's.
    EXPECT_EQ(connectionForDisplay("PwdHint=yes;Server=Pwd=x;DSN"), "PwdHint=yes;Server=Pwd=x;DSN");
    EXPECT_EQ(connectionForDisplay(""), "");
}

TEST_F(DatabaseSettingsFolder, NoFindingEverHoldsThePassword) {
    // Everything wrong at once, with a password in a connection string that
    // fits and in one that does not.
    for (const std::string& connection :
         {std::string("Driver=x;PWD=s3cr3t-pass"),
          "Driver=x;Password={s3cr3t-pass}" + std::string(1100, 'x')}) {
        const DatabaseSettingsRead read =
            readSection("Economy=database\nConnection=" + connection +
                        "\nHostId=s3cr3t-pass host\nPollSeconds=s3cr3t-pass\nLoginTimeout=0\n"
                        "NetworkTimeoutMs=1\nTerminateWaitMs=-1\nOfflinePurchases=s3cr3t-pass\n");
        EXPECT_GE(read.findings.size(), 6U) << findingsText(read);
        EXPECT_EQ(findingsText(read).find("s3cr3t"), std::string::npos) << findingsText(read);
        ASSERT_TRUE(read.storeClosedBecause);
        EXPECT_EQ(read.storeClosedBecause->find("s3cr3t"), std::string::npos);
    }
}

} // namespace
} // namespace quorvel::testing
