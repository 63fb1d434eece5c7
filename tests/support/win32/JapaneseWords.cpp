// The words that tell the Japanese messages apart.
#include "support/win32/JapaneseWords.h"

#include "resources/StringIds.h"
#include "support/win32/Utf8.h"

// Written from what each message says in English, not copied from the table.
const std::vector<JapaneseWords> &JapaneseMessageWords() {
    static const std::vector<JapaneseWords> table = {
        {IDS_NO_VALID_CDROM, {"選択されていません", "ソースを再スキャン"}}, // not selected; Rescan Source
        {IDS_NO_USB_KEYS, {"システム", "ターゲットを再スキャン"}},          // your system; Rescan Target
        {IDS_KEY_TOO_SMALL, {"容量が足りません", "以上の USB キー"}},       // not large enough; or larger
        {IDS_EULA_MISSING, {"使用許諾契約書", "続行できない"}},             // licence agreement; cannot go on
        {IDS_FORMAT_FAILED, {"フォーマット中にエラー"}},                    // error while formatting
        {IDS_COPYING, {"コピーしています", "お待ちください"}},              // copying; please wait
        {IDS_KEY_WILL_BE_CREATED, {"作成します"}},                          // will now be created
        {IDS_KEY_CREATED, {"正常に作成されました"}},                        // created successfully
        {IDS_KEY_FREE_SPACE_TOO_SMALL, {"空き容量"}},                       // free space
        {IDS_NO_MULTIBOOT_SUPPORT, {"追加する機能"}},                       // (does not support) adding
        {IDS_KEY_NOT_MULTIBOOT, {"作成されたものではありません"}},          // was not created with
        {IDS_ALREADY_ON_KEY, {"すでに"}},                                   // already
        {IDS_NO_IMAGE_FILENAME, {"ファイル名を指定"}},                      // specify the filename
        {IDS_IMAGE_READ_ERROR, {"読み取り中にエラー", "[0x"}},              // error reading; the code
        {IDS_IMAGE_NOT_SUPPORTED, {"実際の CD/DVD メディア"}},              // physical CD/DVD media
        {IDS_IMAGE_DAMAGED, {"破損"}},                                      // damaged
        {IDS_IMAGE_ON_KEY, {"フォーマットされます", "移動"}},               // will be formatted; move it
        {IDS_PROGRAM_ON_KEY,
         {"プログラムのフォルダー", "別のドライブ"}},                  // the program's folder; another drive
        {IDS_IMAGE_NAME_UNWRITABLE, {"書き込めない", "フォルダー名"}}, // cannot be written; folder names
        {IDS_IMAGE_FILE_TOO_LARGE, {"4 GB 以上", "FAT32"}},            // 4 GB or more; FAT32
        {IDS_BOOT_FILE_MISSING, {"見つかりませんでした", "変更されていません"}}, // not found; not changed
        {IDS_BOOT_SETUP_FAILED, {"起動可能にする", "使用できません"}},     // making bootable; cannot be used
        {IDS_MENU_ENTRY_FAILED, {"起動メニュー", "追加できませんでした"}}, // boot menu; could not be added
        {IDS_PROGRAM_FOLDER_UNKNOWN, {"特定できなかった", "短いパス"}},    // could not be found; shorter path
        {IDS_EULA_FOLDER_UNKNOWN, {"使用許諾契約書", "短いパス"}},         // licence agreement; shorter path
        {IDS_FORMATTING, {"フォーマットしています"}},                      // formatting
        {IDS_MAKING_BOOTABLE, {"起動可能にしています"}},                   // making bootable
        {IDS_CONFIRM_CLOSE, {"まだ実行中", "よろしいですか"}},             // still in progress; sure?
        {IDS_COPY_INTERRUPTED, {"予期しない中断"}},                        // unexpected interruption
        {IDS_COPY_SUCCEEDED, {"正常に完了"}},                              // completed successfully
    };
    return table;
}

std::vector<std::string> JapaneseWordsOf(UINT id) {
    for (const JapaneseWords &entry : JapaneseMessageWords())
        if (entry.id == id)
            return entry.words;
    return {};
}

std::string JapaneseTableText(UINT id) {
    // Blocks of sixteen counted UTF-16 strings; block n holds the ids 16(n-1) to 16n-1.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1),
                                 MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    const WCHAR *p = data ? static_cast<const WCHAR *>(LockResource(data)) : nullptr;
    if (!p)
        return {};
    const WCHAR *end = p + SizeofResource(module, info) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; ++i)
        p += 1 + *p;
    if (p >= end || p + 1 + *p > end)
        return {};
    return ToUtf8(p + 1, *p);
}

std::string SystemCodePageToUtf8(const std::string &text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return ToUtf8(wide.data(), static_cast<int>(wide.size()));
}
