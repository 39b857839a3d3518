// Where a skin is looked for: str.ini's "Path" is text anyone may edit, and
// only names one folder inside Skins/.
#include "support/temp_dir.h"
#include "ui/skin.h"

#include <gtest/gtest.h>

namespace varcel::ui {
namespace {

namespace fs = std::filesystem;

TEST(SkinFolder, PathNamesOneFolderInsideSkinsOnly)
{
    test::TempDir dir;
    for (const char* skin : {"Dark", "Mine"}) {
        fs::create_directories(dir / "Skins" / skin);
        test::writeBytes(dir / "Skins" / skin / "main.png", {0x89, 'P', 'N', 'G'});
    }
    // A folder outside Skins/ that a crafted Path would reach.
    fs::create_directories(dir / "elsewhere");
    test::writeBytes(dir / "elsewhere" / "main.png", {0x89, 'P', 'N', 'G'});

    struct Row {
        std::string path;
        const char* folder;
    } rows[] = {
        {"Mine", "Mine"},
        {"../elsewhere", "Dark"},
        {"../../../../etc", "Dark"},
        {(dir / "elsewhere").string(), "Dark"},
        {"Mine/../../elsewhere", "Dark"},
        {"..", "Dark"},
        {".", "Dark"},
        {"Mine\\..", "Dark"},
        {"Missing", "Dark"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(Skin::folderFor(dir.path(), row.path), dir / "Skins" / row.folder);
    }
}

TEST(SkinFolder, SkinIniThatIsNoFileGivesNoColour)
{
    test::TempDir dir;
    fs::create_directories(dir / "skin.ini"); // a folder where the file should be
    Skin skin;
    skin.setFolder(dir.path());
    EXPECT_FALSE(skin.suggestedTextColour().has_value());
}

} // namespace
} // namespace varcel::ui
