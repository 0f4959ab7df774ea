// The host program table: which executable names set which adaptation flags.
#include <gtest/gtest.h>

#include "transfer/AppTable.h"

TEST(AppTable, ExeNameIsTheUpperCasedLastPart)
{
    EXPECT_EQ(L"WINWORD.EXE", HostExeName(L"C:\\Program Files\\Office\\Winword.exe"));
    EXPECT_EQ(L"MSPSCAN.EXE", HostExeName(L"mspscan.exe"));
    EXPECT_EQ(L"", HostExeName(L"C:\\dir\\"));
}

TEST(AppTable, OfficeAndViewerRows)
{
    SAppFlags f;
    ApplyHostApp(f, L"C:\\Office\\Winword.exe");
    EXPECT_TRUE(f.bOffice);
    EXPECT_TRUE(f.bOfficeViewer);
    EXPECT_FALSE(f.bMsScanViewer);
    // The viewer flag follows every open; the Office flag, once set, stays.
    ApplyHostApp(f, L"C:\\x\\notepad.exe");
    EXPECT_TRUE(f.bOffice);
    EXPECT_FALSE(f.bOfficeViewer);

    SAppFlags g;
    ApplyHostApp(g, L"C:\\x\\ONENOTE.EXE");
    EXPECT_TRUE(g.bOffice);
    EXPECT_FALSE(g.bOfficeViewer);
    EXPECT_FALSE(IsOfficeIdentityHost(L"ONENOTE.EXE"));
    EXPECT_TRUE(IsOfficeIdentityHost(L"MSTORE.EXE"));

    SAppFlags h;
    ApplyHostApp(h, L"C:\\x\\acdsee10.exe");
    EXPECT_FALSE(h.bOffice);
    EXPECT_TRUE(h.bOfficeViewer);
}

TEST(AppTable, ScanningViewersInAnyCase)
{
    for (const wchar_t* p : {L"C:\\a\\mspscan.exe", L"C:\\a\\MsPView.EXE", L"MSPSCAN.EXE"}) {
        SAppFlags f;
        ApplyHostApp(f, p);
        EXPECT_TRUE(f.bMsScanViewer) << p;
    }
    SAppFlags f;
    ApplyHostApp(f, L"C:\\a\\mspscan.exe.bak");
    EXPECT_FALSE(f.bMsScanViewer);
}

TEST(AppTable, PhotoshopDirectoryRule)
{
    EXPECT_EQ(L"ADOBE PHOTOSHOP CS2", PhotoshopDirName(L"C:\\Program Files\\Adobe\\Adobe Photoshop CS2\\Photoshop.exe"));
    EXPECT_EQ(L"ADOBE PHOTOSHOP CS4", PhotoshopDirName(L"C:\\Adobe\\Adobe Photoshop CS4\\PHOTOSHOP.EXE"));
    // Letters of "\Photoshop.exe" at the folder's end go too: a set of characters, not a suffix.
    EXPECT_EQ(L"ADOBE ", PhotoshopDirName(L"C:\\Adobe\\Adobe Photoshop\\Photoshop.exe"));

    SAppFlags cs2;
    ApplyHostApp(cs2, L"C:\\Adobe\\Adobe Photoshop CS2\\Photoshop.exe");
    EXPECT_TRUE(cs2.bPhotoshop);
    EXPECT_TRUE(cs2.bPhotoshopNotCS4);
    EXPECT_TRUE(cs2.bPhotoshopCS2);

    SAppFlags cs4;
    ApplyHostApp(cs4, L"C:\\Adobe\\Adobe Photoshop CS4\\Photoshop.exe");
    EXPECT_TRUE(cs4.bPhotoshop);
    EXPECT_FALSE(cs4.bPhotoshopNotCS4);
    EXPECT_FALSE(cs4.bPhotoshopCS2);

    // Another host leaves the version flags as the last Photoshop open set them.
    ApplyHostApp(cs2, L"C:\\x\\app.exe");
    EXPECT_FALSE(cs2.bPhotoshop);
    EXPECT_TRUE(cs2.bPhotoshopCS2);
    EXPECT_TRUE(cs2.bPhotoshopNotCS4);
}

TEST(AppTable, ClientAcrobatAndEditorRows)
{
    SAppFlags f;
    ApplyHostApp(f, L"C:\\t\\TwainClientU.exe");
    EXPECT_TRUE(f.bClientWindow);
    EXPECT_TRUE(f.bClientXfer);
    ApplyHostApp(f, L"C:\\t\\Acrobat.exe");
    EXPECT_FALSE(f.bClientWindow);
    EXPECT_TRUE(f.bClientXfer);
    EXPECT_TRUE(f.bAcrobat);
    ApplyHostApp(f, L"C:\\t\\iedit_.dat");
    EXPECT_TRUE(f.bImageEditor1);
    EXPECT_FALSE(f.bImageEditor2);
    ApplyHostApp(f, L"C:\\t\\IEDIT_.EXE");
    EXPECT_FALSE(f.bImageEditor1);
    EXPECT_TRUE(f.bImageEditor2);
    ApplyHostApp(f, L"C:\\t\\other.exe");
    EXPECT_FALSE(f.bImageEditor1);
    EXPECT_FALSE(f.bImageEditor2);
    EXPECT_TRUE(f.bAcrobat);
}
