#include "platform/PeFileSource.h"
#include "formats/PeVersionReader.h"
#include "platform/Platform.h"
#include "support/PeFixtures.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>

using formats::PeByteSource;
using formats::PeMemorySource;
using Bytes = std::vector<unsigned char>;

namespace
{
std::string versionOf(const Bytes& bytes, std::size_t* bytesRead = nullptr)
{
    PeMemorySource source(bytes.data(), bytes.size());
    const auto version = formats::readPeFileVersionText(source);
    if (bytesRead != nullptr)
        *bytesRead = source.bytesRead();
    return version;
}

std::uint32_t get32(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16)) |
           (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint16_t get16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(v >> (8 * i));
}
void put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b.at(at) = static_cast<unsigned char>(v);
    b.at(at + 1) = static_cast<unsigned char>(v >> 8);
}

// File offsets of the fields the damage cases change, found by walking the fixture's
// headers and its (single-entry) resource tree.
struct Layout
{
    explicit Layout(const Bytes& b)
    {
        pe = get32(b, 0x3C);
        optionalHeader = pe + 24;
        const std::size_t directories = optionalHeader + (get16(b, optionalHeader) == 0x20B ? 108 : 92);
        directoryCount = directories;
        resourceDirectory = directories + 4 + 2 * 8;
        sectionTable = optionalHeader + get16(b, pe + 20);
        for (std::size_t i = 0; i < get16(b, pe + 6); ++i)
        {
            const auto header = sectionTable + 40 * i;
            if (std::string(reinterpret_cast<const char*>(&b.at(header))) == ".rsrc")
                rsrcHeader = header;
        }
        rsrcRva = get32(b, rsrcHeader + 12);
        rsrcVirtualSize = get32(b, rsrcHeader + 8);
        rsrc = get32(b, rsrcHeader + 20);
        typeEntry = rsrc + 16;
        nameDirectory = rsrc + (get32(b, typeEntry + 4) & 0x7FFFFFFF);
        nameEntry = nameDirectory + 16;
        languageDirectory = rsrc + (get32(b, nameEntry + 4) & 0x7FFFFFFF);
        languageEntry = languageDirectory + 16;
        dataEntry = rsrc + get32(b, languageEntry + 4);
        data = rsrc + (get32(b, dataEntry) - rsrcRva);
    }

    std::size_t pe, optionalHeader, directoryCount, resourceDirectory, sectionTable, rsrcHeader = 0;
    std::uint32_t rsrcRva, rsrcVirtualSize;
    std::size_t rsrc, typeEntry, nameDirectory, nameEntry, languageDirectory, languageEntry, dataEntry, data;
};

struct Damage
{
    const char* name;
    std::function<void(Bytes&, const Layout&)> apply;
};

const Damage damages[] = {
    {"empty file",
     [](Bytes& b, const Layout&)
     {
         b.clear();
     }},
    {"plain text",
     [](Bytes& b, const Layout&)
     {
         b.assign({'n', 'o', 't', ' ', 'P', 'E', '\n'});
     }},
    {"only MZ",
     [](Bytes& b, const Layout&)
     {
         b.resize(2);
     }},
    {"truncated in the DOS header",
     [](Bytes& b, const Layout&)
     {
         b.resize(0x30);
     }},
    {"truncated in the PE header",
     [](Bytes& b, const Layout& l)
     {
         b.resize(l.pe + 10);
     }},
    {"truncated in the section table",
     [](Bytes& b, const Layout& l)
     {
         b.resize(l.sectionTable + 50);
     }},
    {"truncated in the resource tree",
     [](Bytes& b, const Layout& l)
     {
         b.resize(l.rsrc + 20);
     }},
    {"truncated in the version resource",
     [](Bytes& b, const Layout& l)
     {
         b.resize(l.data + 50);
     }},
    {"PE header offset past the end",
     [](Bytes& b, const Layout&)
     {
         put32(b, 0x3C, 0xFFFFFFF0u);
     }},
    {"no PE signature",
     [](Bytes& b, const Layout& l)
     {
         b.at(l.pe + 1) = 'X';
     }},
    {"no sections",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.pe + 6, 0);
     }},
    {"65535 sections",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.pe + 6, 0xFFFF);
     }},
    {"optional header too small",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.pe + 20, 64);
     }},
    {"optional header larger than the file",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.pe + 20, 0xFFFF);
     }},
    {"unknown optional header magic",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.optionalHeader, 0x107);
     }},
    {"no resource directory slot",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.directoryCount, 2);
     }},
    {"no resource directory",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.resourceDirectory, 0);
     }},
    {"resource directory outside every section",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.resourceDirectory, 0x7FFFFFF0u);
     }},
    {"resource section past the end of the file",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.rsrcHeader + 20, 0xFFFFFE00u);
     }},
    {"resource data near 4 GiB in a section claiming 4 GiB",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.rsrcHeader + 8, 0xFFFFFFFFu);
         put32(b, l.rsrcHeader + 16, 0xFFFFFFFFu);
         put32(b, l.dataEntry, 0xFFFFFFF0u);
     }},
    {"131070 entries in the type directory",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.rsrc + 12, 0xFFFF);
         put16(b, l.rsrc + 14, 0xFFFF);
     }},
    {"no version type",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.typeEntry, 3);
     }},
    {"version type is not a directory",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.typeEntry + 4, get32(b, l.typeEntry + 4) & 0x7FFFFFFF);
     }},
    {"type entry loops back to the root",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.typeEntry + 4, 0x80000000u);
     }},
    {"name entry loops back to the root",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.nameEntry + 4, 0x80000000u);
     }},
    {"language entry loops back to its own directory",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.languageEntry + 4,
               0x80000000u | static_cast<std::uint32_t>(l.languageDirectory - l.rsrc));
     }},
    {"language entry points at the root as data",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.languageEntry + 4, 0);
     }},
    {"version resource not named 1",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.nameEntry, 2);
     }},
    {"version data outside every section",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.dataEntry, 0x7FFFFFF0u);
     }},
    {"version data across the end of its section",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.dataEntry, l.rsrcRva + l.rsrcVirtualSize - 50);
     }},
    {"version data shorter than the fixed info",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.dataEntry + 4, 60);
     }},
    {"block length shorter than the fixed info",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.data, 60);
     }},
    {"no fixed info value",
     [](Bytes& b, const Layout& l)
     {
         put16(b, l.data + 2, 0);
     }},
    {"wrong key",
     [](Bytes& b, const Layout& l)
     {
         b.at(l.data + 6) = 'W';
     }},
    {"wrong fixed info signature",
     [](Bytes& b, const Layout& l)
     {
         put32(b, l.data + 40, 0xFEEF04BCu);
     }},
};
} // namespace

TEST(PeVersionReader, ReadsTheFixedFileVersionOfStandInModules)
{
    const struct
    {
        const char* fixture;
        const char* version;
    } cases[] = {
        {"x64_1.2.0.0.dll", "1.2.0.0"},
        {"x86_1.1.3.7.dll", "1.1.3.7"}, // PE32: only the optional header differs
        {"x64_65535.0.10.65535.dll", "65535.0.10.65535"},
        {"x64_2.0.1.0_4mb.dll", "2.0.1.0"},
        {"x64_no_version.dll", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fixture);
        const auto bytes = testing_support::peFixtureBytes(c.fixture);
        ASSERT_FALSE(bytes.empty()) << "fixture missing: "
                                    << testing_support::peFixture(c.fixture).getFullPathName();
        std::size_t bytesRead = 0;
        EXPECT_EQ(versionOf(bytes, &bytesRead), c.version);
        // Headers and one resource: the same few hundred bytes whatever the module's size.
        EXPECT_LE(bytesRead, 4096u);
    }
}

TEST(PeVersionReader, DamagedModulesGiveNoVersion)
{
    for (const char* fixture : {"x64_1.2.0.0.dll", "x86_1.1.3.7.dll"})
    {
        const auto intact = testing_support::peFixtureBytes(fixture);
        ASSERT_FALSE(intact.empty());
        const Layout layout(intact);
        ASSERT_NE(layout.rsrcHeader, 0u);
        ASSERT_FALSE(versionOf(intact).empty());

        for (const auto& damage : damages)
        {
            SCOPED_TRACE(std::string(fixture) + ": " + damage.name);
            auto bytes = intact;
            damage.apply(bytes, layout);
            // An exact-size copy, so that AddressSanitizer sees any read past the end.
            const Bytes exact(bytes.begin(), bytes.end());
            std::size_t bytesRead = 0;
            EXPECT_EQ(versionOf(exact, &bytesRead), "");
            EXPECT_LE(bytesRead, PeByteSource::readBudget);
        }
    }
}

TEST(PeVersionReader, ByteSourceRefusesReadsOutsideTheModuleOrOverBudget)
{
    const Bytes module(100000, 0xAB);
    const struct
    {
        const char* name;
        std::uint64_t offset;
        std::size_t count;
        bool ok;
    } reads[] = {
        {"inside", 10, 100, true},
        {"up to the end", 99900, 100, true},
        {"nothing at the end", 100000, 0, true},
        {"one byte past the end", 99901, 100, false},
        {"offset past the end", 100001, 0, false},
        {"offset plus count wraps around", ~std::uint64_t{0} - 10, 100, false},
        {"more than the budget at once", 0, PeByteSource::readBudget + 1, false},
    };
    for (const auto& r : reads)
    {
        SCOPED_TRACE(r.name);
        PeMemorySource source(module.data(), module.size());
        Bytes into(r.count + 1, 0);
        EXPECT_EQ(source.read(r.offset, into.data(), r.count), r.ok);
        EXPECT_EQ(source.bytesRead(), r.ok ? r.count : 0u);
    }

    // The budget holds across reads of one call.
    PeMemorySource source(module.data(), module.size());
    Bytes into(PeByteSource::readBudget);
    EXPECT_TRUE(source.read(0, into.data(), PeByteSource::readBudget - 8));
    EXPECT_TRUE(source.read(0, into.data(), 8));
    EXPECT_FALSE(source.read(0, into.data(), 1));
}

TEST(PeVersionReader, ReadsAModuleBuiltByMinGW)
{
    const juce::String mingwModule(VX_MINGW_MODULE);
    if (mingwModule.isEmpty())
        GTEST_SKIP() << "MinGW-w64 (g++-mingw-w64-x86-64-posix) is not installed; "
                        "tools/install-deps.sh test installs it";
    const juce::File module(mingwModule);
    ASSERT_TRUE(module.existsAsFile()) << "the build should have made " << mingwModule;
    EXPECT_EQ(platform::readModuleVersion(module), juce::String("1.1.0.0"));
}

TEST(PeVersionReader, ModuleVersionOfFilesOnDisk)
{
    testing_support::ScopedWinePrefix prefix;
    const auto folder = prefix.driveC();
    const auto module = testing_support::peFixture("x64_2.0.1.0_4mb.dll");
    ASSERT_TRUE(module.existsAsFile());

    const auto copy = folder.getChildFile("Ostrand.clap");
    ASSERT_TRUE(module.copyFileTo(copy));
    const auto empty = folder.getChildFile("empty.dll");
    ASSERT_TRUE(empty.create().wasOk());
    const auto subfolder = folder.getChildFile("folder.dll");
    ASSERT_TRUE(subfolder.createDirectory().wasOk());
    const auto link = folder.getChildFile("link.dll");
    ASSERT_TRUE(copy.createSymbolicLink(link, true));
    // Opening a FIFO for reading would wait for a writer forever.
    const auto fifo = folder.getChildFile("fifo.dll");
    ASSERT_EQ(::mkfifo(fifo.getFullPathName().toRawUTF8(), 0600), 0);

    const struct
    {
        juce::File file;
        const char* version;
    } cases[] = {
        {copy, "2.0.1.0"}, {link, "2.0.1.0"}, {empty, ""},
        {subfolder, ""},   {fifo, ""},        {folder.getChildFile("missing.dll"), ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file.getFileName());
        EXPECT_EQ(platform::readModuleVersion(c.file), juce::String(c.version));
    }

    platform::PeFileSource source(copy);
    EXPECT_EQ(formats::readPeFileVersionText(source), "2.0.1.0");
    EXPECT_LE(source.bytesRead(), 4096u);
}
