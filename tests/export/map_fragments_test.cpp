// The map-page fragments of a project's POIs and photos, read as the page's
// scripts read them.
#include <gtest/gtest.h>

#include <string>

#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/run_command.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvMapPage.h"
#include "trackdb/tgvPhoto.h"
#include "trackdb/tgvProject.h"

namespace {

// A POI with a titled photo that has social-service references, a video
// and a photo without title or references.
class MapFragments : public ::testing::Test {
 protected:
  void SetUp() override {
    m_doc = m_project.Create(Utf8ToUtf16(m_dir.Path()).c_str(), 0);
    ASSERT_NE(m_doc, nullptr);
    m_db = m_doc->GetDatabase();
    m_place = tgvType_C::Create(m_db, u"Place", u"p", nullptr, nullptr, tgvUT_POI, false);
    m_poi = AddPOI(u"P");
    m_titled = AddFile(u"/m/a.jpg", tgvPhoto_C::kPhoto, u"A <1> 'x'");
    ASSERT_TRUE(m_titled->SetFacebookRef(u"42", u"http://fb/src", u"http://fb/thumb"));
    AddFile(u"/m/v.mp4", tgvPhoto_C::kVideo, nullptr);
    m_plain = AddFile(u"/m/b.jpg", tgvPhoto_C::kPhoto, nullptr);
  }

  tgvPOI_C* AddPOI(const char16_t* name) {
    tgvPOI_C* poi = tgvPOI_C::Create(m_db, name, m_place, IntPoint_C(0, 0), GeoPoint_C(8.5, 47.25), nullptr, false);
    EXPECT_NE(poi, nullptr);
    return poi;
  }

  tgvPhoto_C* AddFile(const char16_t* location, uint8_t kind, const char16_t* title) {
    tgvPhoto_C* file = tgvPhoto_C::From(tgvTagDef_C::CreateFileDef(m_db, u"f", location, kind, title));
    EXPECT_TRUE(file && tgvPhotoLink_C::Create(m_db, m_poi, file));
    return file;
  }

  // What JavaScript makes of an object or array literal: its JSON.
  std::string Evaluate(const std::u16string& literal) {
    const std::string file = m_dir.File("literal.js");
    EXPECT_TRUE(WriteBytes(file, Utf16ToUtf8(literal)));
    std::string out;
    EXPECT_TRUE(
        RunCommand("node -e \"process.stdout.write(JSON.stringify(eval('(' + "
                   "require('fs').readFileSync('" +
                       file + "', 'utf8') + ')')))\"",
                   &out))
        << out;
    return out;
  }

  TempDir m_dir;
  tgvProject_C m_project;
  tgvDocument_C* m_doc = nullptr;
  tgvDatabase_C* m_db = nullptr;
  tgvType_C* m_place = nullptr;
  tgvPOI_C* m_poi = nullptr;
  tgvPhoto_C* m_titled = nullptr;
  tgvPhoto_C* m_plain = nullptr;
};

TEST_F(MapFragments, PhotoObjectsTakeTheirPicturesFromThePhotoMode) {
  struct Case {
    int mode;
    const char16_t* folder;
    bool titled;
    const char* json;
  } cases[] = {
      {2, u"ph", true, R"({"id":1,"thumb":"ph/t1.jpg","link":"ph/p1.jpg","title":"A <1> 'x'"})"},
      {3, u"ph", true, R"({"id":1,"thumb":"http://fb/thumb","link":"http://fb/src","title":"A <1> 'x'"})"},
      {3, u"ph", false, R"({"id":3,"thumb":"","link":"","title":""})"},
      {0, u"ph", false, R"({"id":3,"thumb":"ph/p3.jpg","link":"/m/b.jpg","title":""})"},
      {0, u"", false, R"({"id":3,"thumb":"/m/b.jpg","link":"/m/b.jpg","title":""})"},
      {2, u"", false, R"({"id":3,"thumb":"/m/b.jpg","link":"p3.jpg","title":""})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    std::u16string out;
    (c.titled ? m_titled : m_plain)->AppendJson(&out, c.folder, c.mode);
    EXPECT_EQ(Evaluate(out), c.json);
  }
}

TEST_F(MapFragments, DescriptionShowsRatingsTagsAndTextsEscapedAndSkipsSystemValues) {
  struct Value {
    uint8_t type;
    bool system;
    const char16_t* text;
  } values[] = {{9, false, u"3"},    {9, false, u"0"},       {17, false, u"fav"},
                {17, false, u"x<y"}, {1, true, u"internal"}, {1, false, u"a & b\r\nc"}};
  tgvTagDef_C* tag = tgvTagDef_C::CreateTag(m_db, u"fav", nullptr, nullptr);
  ASSERT_TRUE(tag && tag->SetDescription(u"Fav & <i>"));
  for (const Value& v : values) {
    tgvValueDef_C* def = tgvValueDef_C::Create(m_db, u"v", m_place, v.type, nullptr, v.system);
    ASSERT_TRUE(def && tgvVal_C::Create(m_db, v.text, m_poi, def));
  }
  std::u16string html;
  AppendDescriptionHtml(m_poi, &html);
  EXPECT_EQ(Utf16ToUtf8(html),
            "<img src=\"../../res/Rating_3.png\" /> <br /><b>Fav &amp; &lt;i&gt;</b> <br /><b>x&lt;y</b> <br />"
            "a &amp; b<br />c <br />");
}

TEST_F(MapFragments, PhotoListStandsTwoToARowWithoutAFolderAndLinksThePictureWithOne) {
  std::u16string bare, withFolder;
  AppendPhotoListHtml(m_poi, nullptr, &bare);
  AppendPhotoListHtml(m_poi, u"ph", &withFolder);
  const std::string rows = Evaluate(u"'" + bare + u"'");
  EXPECT_NE(rows.find("</a><br /><br /><br /><a href='/m/b.jpg'"), std::string::npos)
      << "the third item starts a row: " << rows;
  EXPECT_NE(rows.find("width='240' /></a><br />A &lt;1&gt; &#39;x&#39;<br /><a href='/m/v.mp4'"), std::string::npos)
      << rows;
  const std::string linked = Evaluate(u"'" + withFolder + u"'");
  EXPECT_NE(linked.find("<a href='ph/p1.jpg' rel='lyteshow[Brivane]' title='title' ><img src=\\\"ph/p1.jpg\\\" />"),
            std::string::npos)
      << linked;
}

TEST_F(MapFragments, ADeletedFileLeavesNoLinkOrReferenceBehind) {
  ASSERT_EQ(m_titled->GetFirstPOI(), m_poi);
  ASSERT_TRUE(m_titled->Delete());
  PtrList_C links, refs, files;
  EXPECT_EQ(m_db->SelectAll(&links, tgvUT_FTag), 2u);
  EXPECT_EQ(m_db->SelectAll(&refs, tgvUT_PropText), 0u);
  EXPECT_EQ(GetPOIFiles(m_poi, &files, tgvPhoto_C::kPhoto), 1u);
}

TEST_F(MapFragments, DocumentArraysHoldOneObjectPerValidPOIAndLine) {
  std::u16string pois, lines;
  EXPECT_EQ(AppendLinesJson(m_doc, &lines, 0), 0u);
  EXPECT_EQ(lines, u"[]");
  AddPOI(u"Q");
  AddPOI(u"R");
  tgvPOI_C::Create(m_db, u"Off", m_place, IntPoint_C(0, 0), GeoPoint_C(200.0, 47.0), nullptr, false);
  ASSERT_EQ(AppendPOIsJson(m_doc, &pois, u"ph", 0, 2), 3u);
  const std::string json = Evaluate(pois);
  EXPECT_EQ(json.substr(0, 2), "[{");
  EXPECT_NE(json.find(R"("name":"P")"), std::string::npos);
  EXPECT_NE(json.find(R"("photos":[{"id":1,"thumb":"ph/t1.jpg")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("vedios":[{"id":2,"link":"ph/p2.jpg","title":""}])"), std::string::npos) << json;
  EXPECT_EQ(json.find("Off"), std::string::npos);
}

}  // namespace
