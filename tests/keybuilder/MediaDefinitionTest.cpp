// Tests of CMediaDefinition: every rule of the definition schema on real files, the override, the
// language choice, Shift-JIS and EUC-JP documents, an image source made by xorriso, the readme
// viewer and the used-space query.
#include "keybuilder/MediaDefinition.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/ProgramFolder.h"
#include "support/win32/WineUsbDisks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>

namespace {

std::string definition(const std::string &body, const std::string &declaration = "") {
    return declaration + "<cd_definition>" + body + "</cd_definition>";
}

// Every definition field as one text, for comparisons that show the whole record.
std::string fields(const CMediaDefinition &m) {
    return std::string("displayName=") + m.displayName.GetString() + "|name=" + m.name.GetString() +
           "|englishName=" + m.englishName.GetString() + "|version=" + m.version.GetString() +
           "|architecture=" + m.architecture.GetString() + "|creationScript=" + m.creationScript.GetString() +
           "|readmeFile=" + m.readmeFile.GetString() + "|logFile=" + m.logFile.GetString() +
           "|productId=" + m.productId.GetString() + "|displaySize=" + m.displaySize.GetString() +
           "|sizeMB=" + std::to_string(m.sizeMB) + "|multibootSupport=" + std::to_string(m.multibootSupport) +
           "|multibootDirectory=" + m.multibootDirectory.GetString() +
           "|multibootConfigFilename=" + m.multibootConfigFilename.GetString() +
           "|timeoutValue=" + m.timeoutValue.GetString() + "|volumeLabel=" + m.volumeLabel.GetString();
}

const char *kFullBody =
    "<name><name_xlate lang=\"en\">Tool</name_xlate></name><version>2.0</version>"
    "<architecture>x64</architecture><scripts><windows><creation>usb\\create.cmd</creation>"
    "</windows></scripts><readme_file>readme.txt</readme_file><log_file>tool.log</log_file>"
    "<product_id>KXTOOL</product_id><min_key_size size_MB=\"2048\" display_size=\"2 GB\"/>"
    "<multiboot_support>yes</multiboot_support><multiboot_directory>tool</multiboot_directory>"
    "<multiboot_config_filename>tool.cfg</multiboot_config_filename>"
    "<timeout_value>50</timeout_value><volume_label>TOOL</volume_label>";

const char *kFullFields =
    "displayName=Tool 2.0 x64|name=Tool|englishName=Tool|version=2.0|architecture=x64|"
    "creationScript=E:\\usb\\create.cmd|readmeFile=E:\\readme.txt|logFile=tool.log|"
    "productId=KXTOOL|displaySize=2 GB|sizeMB=2048|multibootSupport=1|"
    "multibootDirectory=tool|multibootConfigFilename=tool.cfg|timeoutValue=50|volumeLabel=TOOL";

// Parses one document with drive E: as the source.
struct Parsed {
    ScratchFolder scratch;
    CMediaDefinition media;
    bool ok;
    explicit Parsed(const std::string &document) {
        media.SetSourceDrive('E');
        scratch.write("usbcreator.xml", document);
        ok = media.ParseDefinitionFile((scratch / "usbcreator.xml").c_str());
    }
};

TEST(CMediaDefinition, SourceSelection) {
    CMediaDefinition media;
    EXPECT_TRUE(media.SetSourceDrive('E'));
    EXPECT_STREQ("E:\\usb\\usbcreator.xml", media.definitionPath);
    EXPECT_EQ('E', media.sourceLetter);
    EXPECT_EQ(0, media.sourceIsImage);
    EXPECT_TRUE(media.SetSourceImage(Common::IsoImage(Common::string())));
    EXPECT_STREQ("\\usb\\usbcreator.xml", media.definitionPath);
    EXPECT_EQ(0, media.sourceLetter);
    EXPECT_EQ(1, media.sourceIsImage);
}

TEST(CMediaDefinition, EveryFieldOfAFullDefinition) {
    Parsed p(definition(kFullBody));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(kFullFields, fields(p.media));
}

TEST(CMediaDefinition, FieldRules) {
    SetEnvironmentVariableA("ORVELLA_SCRIPTS", "D:\\scripts");
    SetEnvironmentVariableA("ORVELLA_SUB", "usb");
    SetEnvironmentVariableA("ORVELLA_LONG", ("C:\\" + std::string(300, 'a')).c_str());
    SetEnvironmentVariableA("ORVELLA_EMPTY", "");
    const std::string longText = "C:\\" + std::string(300, 'b') + "\\create.cmd";
    using Field = std::function<std::string(const CMediaDefinition &)>;
    Field displayName = [](const CMediaDefinition &m) { return std::string(m.displayName); };
    Field script = [](const CMediaDefinition &m) { return std::string(m.creationScript); };
    Field readme = [](const CMediaDefinition &m) { return std::string(m.readmeFile); };
    Field size = [](const CMediaDefinition &m) {
        return std::to_string(m.sizeMB) + "/" + m.displaySize.GetString();
    };
    Field multiboot = [](const CMediaDefinition &m) { return std::to_string(m.multibootSupport); };
    Field timeout = [](const CMediaDefinition &m) { return std::string(m.timeoutValue); };
    Field version = [](const CMediaDefinition &m) { return std::string(m.version); };
    struct Case {
        std::string body;
        Field field;
        std::string expected;
    } cases[] = {
        {"<name><name_xlate lang=\"en\">Tool</name_xlate></name><version>2.0</version>", displayName,
         "Tool 2.0"},
        {"<version>2.0</version>", displayName, " 2.0"},
        {"", displayName, " "},
        {"<scripts><windows><creation>usb\\create.cmd</creation></windows></scripts>", script,
         "E:\\usb\\create.cmd"},
        {"<scripts><windows><creation>%ORVELLA_SCRIPTS%\\create.cmd</creation></windows></scripts>", script,
         "D:\\scripts\\create.cmd"},
        {"<scripts><windows><creation>%ORVELLA_SUB%\\create.cmd</creation></windows></scripts>", script,
         "E:\\%ORVELLA_SUB%\\create.cmd"},
        // Expansions that do not fit or come out empty keep the text as written, on the drive.
        {"<scripts><windows><creation>%ORVELLA_LONG%\\x.cmd</creation></windows></scripts>", script,
         "E:\\%ORVELLA_LONG%\\x.cmd"},
        {"<scripts><windows><creation>" + longText + "</creation></windows></scripts>", script,
         "E:\\" + longText},
        {"<scripts><windows><creation>%ORVELLA_EMPTY%</creation></windows></scripts>", script,
         "E:\\%ORVELLA_EMPTY%"},
        {"<scripts><creation>usb\\create.cmd</creation></scripts>", script, ""},
        {"<readme_file>readme.txt</readme_file>", readme, "E:\\readme.txt"},
        // No language matches: the first in chain order (first, then last backwards).
        {"<readme_file lang=\"de\">de.txt</readme_file><readme_file lang=\"it\">it.txt</readme_file>"
         "<readme_file lang=\"es\">es.txt</readme_file>",
         readme, "E:\\de.txt"},
        {"<readme_file lang=\"de\">de.txt</readme_file><readme_file lang=\"it\">it.txt</readme_file>"
         "<readme_file lang=\"es\">es.txt</readme_file><readme_file lang=\"es\">es2.txt</readme_file>",
         readme, "E:\\de.txt"},
        {"<min_key_size size_MB=\"2048\" display_size=\"2 GB\"/>", size, "2048/2 GB"},
        {"<min_key_size size_MB=\"2048MB\"/>", size, "2048/"},
        {"<min_key_size size_MB=\"abc\"/>", size, "0/"},
        {"<min_key_size size_MB=\" 12\"/>", size, "12/"},
        {"<min_key_size size_MB=\"99999999999\"/>", size, "2147483647/"},
        {"<min_key_size>4096</min_key_size>", size, "0/"},
        {"<multiboot_support>Yes</multiboot_support>", multiboot, "1"},
        {"<multiboot_support>YES</multiboot_support>", multiboot, "1"},
        {"<multiboot_support>Yesterday</multiboot_support>", multiboot, "1"},
        {"<multiboot_support>ye</multiboot_support>", multiboot, "0"},
        {"<multiboot_support>no</multiboot_support>", multiboot, "0"},
        {"<multiboot_support> yes</multiboot_support>", multiboot, "0"},
        {"", timeout, "0"},
        {"<timeout_value>5</timeout_value>", timeout, "5"},
        {"<timeout_value> 5</timeout_value>", timeout, "0"},
        {"<version><![CDATA[1.5]]></version>", version, "1.5"},
        {"<version><![CDATA[]]></version>", version, ""},
        {"<version> 1.0</version>", version, ""},
        {"<version><b/>1.0</version>", version, ""},
        {"<version>1.0</version><version>2.0</version><version>3.0</version>", version, "1.0"},
        {"<Version>1.0</Version>", version, ""},
    };
    for (const Case &c : cases) {
        Parsed p(definition(c.body));
        ASSERT_TRUE(p.ok) << c.body;
        EXPECT_EQ(c.expected, c.field(p.media)) << c.body;
    }
}

TEST(CMediaDefinition, FilesThatLeaveTheFieldsAlone) {
    struct Case {
        const char *what;
        const char *document; // NULL: no file
        bool result;
    } cases[] = {
        {"missing file", nullptr, false},
        {"not well-formed", "<cd_definition><version>9</version>", false},
        {"EUC-JP",
         "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><cd_definition><version>9</version></cd_definition>",
         false},
        {"another document element", "<other><cd_definition><version>9</version></cd_definition></other>",
         true},
    };
    for (const Case &c : cases) {
        Parsed p(definition(kFullBody));
        ASSERT_TRUE(p.ok);
        if (c.document)
            p.scratch.write("second.xml", c.document);
        EXPECT_EQ(c.result, p.media.ParseDefinitionFile((p.scratch / "second.xml").c_str())) << c.what;
        EXPECT_EQ(kFullFields, fields(p.media)) << c.what;
    }
}

struct WithOverrides {
    ScratchFolder scratch;
    // The executable seems to lie in the scratch folder, so its override folder is the test's own.
    ProgramInFolder program{scratch.path()};
    CMediaDefinition media;
    WithOverrides() {
        media.SetSourceDrive('E');
        media.definitionPath = (scratch / "disc/usbcreator.xml").c_str();
    }
    void disc(const std::string &document) { scratch.write("disc/usbcreator.xml", document); }
    void override(const std::string &productId, const std::string &document) {
        scratch.write("override/" + productId + ".xml", document);
    }
};

TEST(CMediaDefinition, AnOverrideReplacesEveryField) {
    WithOverrides t;
    t.disc(definition(kFullBody));
    t.override("KXTOOL", definition("<product_id>KXTOOL</product_id>"));
    EXPECT_TRUE(t.media.Load());
    EXPECT_EQ(
        "displayName= "
        "|name=|englishName=|version=|architecture=|creationScript=|readmeFile=|logFile=|productId=KXTOOL|"
        "displaySize=|sizeMB=0|multibootSupport=0|multibootDirectory=|multibootConfigFilename=|"
        "timeoutValue=0|volumeLabel=",
        fields(t.media));

    t.override("KXTOOL", definition("<product_id>KXTOOL</product_id><version>3.0</version>"
                                    "<readme_file>new.txt</readme_file>"));
    EXPECT_TRUE(t.media.Load());
    EXPECT_STREQ("3.0", t.media.version);
    EXPECT_STREQ("E:\\new.txt", t.media.readmeFile) << "a drive source's readme stays on the drive";
    EXPECT_STREQ("", t.media.name);

    t.override("KXTOOL", definition("<product_id>KXTOOL</product_id>"
                                    "<name><name_xlate lang=\"en\">New Tool</name_xlate></name>"));
    EXPECT_TRUE(t.media.Load());
    EXPECT_STREQ("New Tool", t.media.englishName);
}

TEST(CMediaDefinition, OverrideOutcomes) {
    struct Case {
        const char *what;
        const char *override; // NULL: no override file
        bool result;
        const char *version;
    } cases[] = {
        {"no override", nullptr, true, "2.0"},
        {"override fails to parse", "<cd_definition><version>3.0</version>", false, "2.0"},
        {"override without cd_definition", "<other/>", true, "2.0"},
        {"override", "<cd_definition><version>3.0</version></cd_definition>", true, "3.0"},
    };
    for (const Case &c : cases) {
        WithOverrides t;
        t.disc(definition(kFullBody));
        if (c.override)
            t.override("KXTOOL", c.override);
        EXPECT_EQ(c.result, t.media.Load()) << c.what;
        EXPECT_STREQ(c.version, t.media.version) << c.what;
    }
}

TEST(CMediaDefinition, AFailedDiscStillGetsTheOverrideOfTheProductIdHeld) {
    WithOverrides t;
    t.disc(definition(kFullBody));
    ASSERT_TRUE(t.media.Load());
    t.override("KXTOOL", definition("<version>3.0</version>"));
    t.disc("not xml");
    EXPECT_TRUE(t.media.Load());
    EXPECT_STREQ("3.0", t.media.version);
    EXPECT_STREQ("", t.media.productId);
    t.disc("still not xml");
    EXPECT_FALSE(t.media.Load()) << "no product id is held any more";
}

TEST(CMediaDefinition, AProductIdThatLeavesTheOverrideFolderFindsNoOverride) {
    // Each id would name a file beside the executable, outside the override folder.
    const char *ids[] = {"..\\outside", "../outside", "sub\\..\\..\\outside"};
    for (const char *id : ids) {
        WithOverrides t;
        std::string body = kFullBody;
        body.replace(body.find("KXTOOL"), 6, id);
        t.disc(definition(body));
        t.scratch.write("outside.xml", definition("<version>3.0</version>"));
        EXPECT_TRUE(t.media.Load()) << id;
        EXPECT_STREQ("2.0", t.media.version) << id;
        EXPECT_STREQ(id, t.media.productId) << id;
    }
    EXPECT_STREQ("", OverrideFilePath("C:outside"));
}

// Without the program's folder the override's path would lead to the current drive's root, or to
// the ancestor folder a cut path ends in: an override planted there is never read.
TEST(CMediaDefinition, WithoutTheProgramsFolderNoOverrideIsRead) {
    WineUsbDisks disks;
    std::string elsewhere = disks.folderLetter('Q');
    ASSERT_FALSE(elsewhere.empty());
    ASSERT_TRUE(CreateDirectoryA((elsewhere + "override").c_str(), nullptr));
    std::ofstream(elsewhere + "override\\KXTOOL.xml", std::ios::binary)
        << definition("<version>3.0</version>");
    CurrentFolder current(elsewhere);
    ASSERT_TRUE(current.made());

    for (ProgramPathLoss how : {ProgramPathLoss::CallFails, ProgramPathLoss::BufferFilled}) {
        SCOPED_TRACE(how == ProgramPathLoss::CallFails ? "call fails" : "buffer filled");
        WithOverrides t;
        t.disc(definition(kFullBody));
        ProgramPathLost lost(how, elsewhere.substr(0, 2));
        EXPECT_STREQ("", OverrideFilePath("KXTOOL")) << "the script tree's override is looked for here too";
        EXPECT_TRUE(t.media.Load());
        EXPECT_STREQ("2.0", t.media.version);
    }
}

// Run once in the default locale and once each under LC_ALL=ja_JP.UTF-8 and fr_FR.UTF-8.
TEST(CMediaDefinitionLocale, NameAndReadmeFollowTheSystemLanguage) {
    struct Case {
        std::string body;
        const char *en, *fr, *ja;
    } cases[] = {
        {"<name><name_xlate lang=\"en\">Tool</name_xlate><name_xlate lang=\"ja\">Tool-ja</name_xlate></name>",
         "Tool", "Tool", "Tool-ja"},
        {"<name><name_xlate lang=\"EN\">Tool</name_xlate><name_xlate lang=\"fr\">Outil</name_xlate></name>",
         "Tool", "Outil", "Tool"},
        {"<name><name_xlate lang=\"fr\">Outil</name_xlate></name>", "", "Outil", ""},
        {"<readme_file lang=\"en\">en.txt</readme_file><readme_file lang=\"ja\">ja.txt</readme_file>"
         "<readme_file lang=\"fr\">fr.txt</readme_file>",
         "E:\\en.txt", "E:\\fr.txt", "E:\\ja.txt"},
        // Chain order it, plain, ja: the attribute-less one ends each language search.
        {"<readme_file lang=\"it\">it.txt</readme_file><readme_file lang=\"ja\">ja.txt</readme_file>"
         "<readme_file>plain.txt</readme_file>",
         "E:\\it.txt", "E:\\it.txt", "E:\\it.txt"},
    };
    const std::string language = RunLanguage();
    for (const Case &c : cases) {
        Parsed p(definition(c.body));
        ASSERT_TRUE(p.ok);
        const char *expected = language == "ja" ? c.ja : language == "fr" ? c.fr : c.en;
        std::string got = c.body.find("readme") != std::string::npos ? p.media.readmeFile.GetString()
                                                                     : p.media.name.GetString();
        EXPECT_EQ(expected, got) << c.body;
    }
    Parsed onlyFrench(
        definition("<name><name_xlate lang=\"fr\">Outil</name_xlate></name><version>1</version>"));
    if (language != "fr") {
        EXPECT_STREQ(" 1", onlyFrench.media.displayName);
    }
}

// The boot loader draws each byte of its menu in an 8-bit font of its own: whatever the system's
// language, the disc's entry is printable ASCII, in English where the disc has an English name.
TEST(CMediaDefinitionLocale, TheBootMenuLabelIsPrintableAscii) {
    const std::string sample = "\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB"; // four kana
    auto names = [](const std::string &xlates) {
        return "<name>" + xlates + "</name><version>2.0</version><architecture>x64</architecture>";
    };
    auto xlate = [](const char *lang, const std::string &text) {
        return std::string("<name_xlate lang=\"") + lang + "\">" + text + "</name_xlate>";
    };
    struct Case {
        const char *what;
        std::string body;
        const char *en, *fr, *ja;
    } cases[] = {
        {"English and Japanese", names(xlate("en", "Tool") + xlate("ja", sample)), "Tool 2.0 x64",
         "Tool 2.0 x64", "Tool 2.0 x64"},
        {"an ASCII name in the system's language", names(xlate("en", "Tool") + xlate("ja", "Tool-ja")),
         "Tool 2.0 x64", "Tool 2.0 x64", "Tool-ja 2.0 x64"},
        {"English and an accented French", names(xlate("en", "Tool") + xlate("fr", "Outil tr\xC3\xA8s")),
         "Tool 2.0 x64", "Tool 2.0 x64", "Tool 2.0 x64"},
        // No English text: the name in the system's language, one '?' a character.
        {"only Japanese", names(xlate("ja", sample)), " 2.0 x64", " 2.0 x64", "???? 2.0 x64"},
        {"an accented English name", names(xlate("en", "Caf\xC3\xA9 Tool")), "Caf? Tool 2.0 x64",
         "Caf? Tool 2.0 x64", "Caf? Tool 2.0 x64"},
        // The English text, not the Japanese one, is made printable.
        {"Japanese and an accented English name", names(xlate("en", "Caf\xC3\xA9") + xlate("ja", sample)),
         "Caf? 2.0 x64", "Caf? 2.0 x64", "Caf? 2.0 x64"},
        // A tab, a line break and DEL, then sequences of two, three and four bytes.
        {"control characters and long sequences",
         names(xlate("en", "<![CDATA[A\tB\nC\x7F"
                           "D\xC3\xA9\xE3\x82\xB5\xF0\x9F\x98\x80"
                           "E]]>")),
         "A?B?C?D???E 2.0 x64", "A?B?C?D???E 2.0 x64", "A?B?C?D???E 2.0 x64"},
        // Version and architecture are made printable with the name.
        {"an accented architecture",
         "<name>" + xlate("en", "Tool") + xlate("ja", sample) +
             "</name><version>2.0</version><architecture>x\xC3\xA9</architecture>",
         "Tool 2.0 x?", "Tool 2.0 x?", "Tool 2.0 x?"},
    };
    const std::string language = RunLanguage();
    for (const Case &c : cases) {
        Parsed p(definition(c.body));
        ASSERT_TRUE(p.ok) << c.what;
        const char *expected = language == "ja" ? c.ja : language == "fr" ? c.fr : c.en;
        EXPECT_EQ(expected, std::string(p.media.BootMenuLabel())) << c.what;
    }
}

TEST(CMediaDefinitionLocale, ShiftJisDefinition) {
    // 日本語 in Shift-JIS, and half-width katakana ｱ that needs no conversion.
    Parsed p(definition("<name><name_xlate lang=\"ja\">\x93\xFA\x96\x7B\x8C\xEA</name_xlate>"
                        "<name_xlate lang=\"en\">\xB1</name_xlate></name><product_id>SJIS</product_id>",
                        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"));
    ASSERT_TRUE(p.ok);
    EXPECT_STREQ("SJIS", p.media.productId);
    if (RunLanguage() == "ja") {
        EXPECT_STREQ("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", p.media.name) << "UTF-8, stored unchanged";
    } else {
        EXPECT_STREQ("\xEF\xBD\xB1", p.media.name);
    }
}

TEST(WriteStringToStream, WritesEveryByte) {
    ScratchFolder scratch;
    std::string path = scratch / "out.bin";
    {
        Common::OutputStream *stream = new Common::OutputStreamToFile(path.c_str(), false);
        ASSERT_NE(nullptr, stream);
        Common::SharedPtr<Common::OutputStream> holder(stream);
        EXPECT_EQ(stream, &WriteStringToStream(*stream, Common::string("a\0b", 3)));
    }
    EXPECT_EQ(std::string("a\0b", 3), scratch.read("out.bin"));
}

// ---- The image source, from an image made by xorriso (make-media-images).

std::string lastCommand;
BOOL answerStart = TRUE;
BOOL WINAPI fakeCreateProcess(LPCSTR, LPSTR command, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                              DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
    lastCommand = command;
    EXPECT_EQ(104u, startup->cb);
    EXPECT_EQ(DWORD(STARTF_USESHOWWINDOW), startup->dwFlags);
    EXPECT_EQ(SW_SHOWNORMAL, startup->wShowWindow);
    if (!answerStart) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // Handles that closing accepts, standing for the editor's.
    process->hProcess = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    process->hThread = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return TRUE;
}

struct FakeEditor {
    ScopedSystemCall<decltype(SystemCalls::CreateProcessA)> start{sys.CreateProcessA, fakeCreateProcess};
    explicit FakeEditor(BOOL starts) {
        answerStart = starts;
        lastCommand.clear();
    }
};

// Temporary copies taken out of an image go to this folder while it lives.
struct TemporaryFolder {
    ScratchFolder scratch;
    std::string saved;
    TemporaryFolder() {
        char old[MAX_PATH] = {};
        GetEnvironmentVariableA("TMP", old, MAX_PATH);
        saved = old;
        SetEnvironmentVariableA("TMP", scratch.path().c_str());
    }
    ~TemporaryFolder() { SetEnvironmentVariableA("TMP", saved.empty() ? nullptr : saved.c_str()); }
};

TEST(CMediaDefinition, ImageSource) {
    TemporaryFolder temporary;
    CMediaDefinition media;
    {
        Common::IsoImage image(Common::string("iso-images\\media.iso"));
        ASSERT_TRUE(image.isOpen());
        media.SetSourceImage(image);
    }
    EXPECT_TRUE(media.DefinitionFileExists()) << "the image stays open after the caller's object went";
    EXPECT_STREQ("MEDIA_LABEL", media.GetVolumeLabel());
    ASSERT_TRUE(media.Load());
    EXPECT_STREQ("Image Tool 4.1", media.displayName);
    EXPECT_STREQ("\\readme.txt", media.readmeFile);
    EXPECT_EQ(1024, media.sizeMB);
    EXPECT_EQ(1, media.multibootSupport);
    EXPECT_TRUE(media.ReadmeExists());

    FakeEditor editor(TRUE);
    EXPECT_TRUE(media.ShowReadme());
    const std::string prefix = "NOTEPAD.EXE ";
    ASSERT_EQ(prefix, lastCommand.substr(0, prefix.size()));
    std::string copy = lastCommand.substr(prefix.size());
    EXPECT_EQ(".txt", copy.substr(copy.size() - 4));
    EXPECT_EQ(temporary.scratch.path(), copy.substr(0, temporary.scratch.path().size()));
    char contents[64] = {};
    HANDLE h = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD n = 0;
    ReadFile(h, contents, sizeof contents - 1, &n, nullptr);
    CloseHandle(h);
    EXPECT_STREQ("Read me first.\r\n", contents);
}

TEST(CMediaDefinition, ImageOverrideComesFromTheRealFileSystem) {
    TemporaryFolder temporary;
    WithOverrides t;
    t.override("IMGTOOL", definition("<version>5.0</version><readme_file>other.txt</readme_file>"));
    t.media.SetSourceImage(Common::IsoImage(Common::string("iso-images\\media.iso")));
    EXPECT_TRUE(t.media.Load());
    EXPECT_STREQ(" 5.0", t.media.displayName);
    EXPECT_STREQ("\\other.txt", t.media.readmeFile);
    EXPECT_FALSE(t.media.ReadmeExists());
}

TEST(CMediaDefinition, ImageWithoutDefinition) {
    TemporaryFolder temporary;
    CMediaDefinition media;
    media.SetSourceImage(Common::IsoImage(Common::string("iso-images\\nodefinition.iso")));
    EXPECT_FALSE(media.DefinitionFileExists());
    EXPECT_FALSE(media.Load());
    EXPECT_TRUE(media.displayName.IsEmpty()) << "nothing was read";
}

TEST(CMediaDefinition, ShowReadmeFromADriveAndAnEditorThatCannotStart) {
    CMediaDefinition media;
    media.SetSourceDrive('E');
    media.readmeFile = "E:\\readme.txt";
    {
        FakeEditor editor(TRUE);
        EXPECT_TRUE(media.ShowReadme());
        EXPECT_EQ("NOTEPAD.EXE E:\\readme.txt", lastCommand);
    }
    MessageBoxRecorder boxes;
    FakeEditor editor(FALSE);
    EXPECT_FALSE(media.ShowReadme());
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Error", boxes.boxes()[0].caption);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes.boxes()[0].type);
    EXPECT_EQ(nullptr, boxes.boxes()[0].owner);
    EXPECT_FALSE(boxes.boxes()[0].text.empty());
}

// ---- Used space, through the system-call table.

std::string askedRoot;
BOOL WINAPI fakeFreeSpace(LPCSTR root, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total, PULARGE_INTEGER) {
    askedRoot = root;
    total->QuadPart = 1000;
    freeToCaller->QuadPart = 400;
    return TRUE;
}
BOOL WINAPI failingFreeSpace(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
}

TEST(CMediaDefinition, DriveUsedBytes) {
    CMediaDefinition media;
    {
        ScopedSystemCall<decltype(SystemCalls::GetDiskFreeSpaceExA)> space(sys.GetDiskFreeSpaceExA,
                                                                           fakeFreeSpace);
        EXPECT_EQ(600, media.GetDriveUsedBytes('F'));
        EXPECT_EQ("F:\\", askedRoot);
    }
    ScopedSystemCall<decltype(SystemCalls::GetDiskFreeSpaceExA)> space(sys.GetDiskFreeSpaceExA,
                                                                       failingFreeSpace);
    EXPECT_EQ(-1, media.GetDriveUsedBytes('F')) << "a failed query reads as a shortfall";
}

} // namespace
