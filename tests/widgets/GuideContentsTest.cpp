// The help window's contents, read from the guide's contents file (toc.hhc).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QRegularExpression>
#include <filesystem>
#include <functional>

#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"
#include "widgets/HelpWindow.h"

namespace {

std::string Entry(const std::string& name, const std::string& local) {
  std::string params = "<param name=\"Name\" value=\"" + name + "\">";
  if (!local.empty()) params += "<param name=\"Local\" value=\"" + local + "\">";
  return "<LI><OBJECT type=\"text/sitemap\">" + params + "</OBJECT>\n";
}

// The lists nest as the CHM compiler reads them; names are HTML text; an
// entry without a page, and lists closed once too often, are passed over.
TEST(GuideContents, NestedListsBecomeATree) {
  const std::string toc = testing_support::UniqueTempPath("toc") + ".hhc";
  testing_support::WriteBytes(toc, "<HTML><BODY>\n</UL>\n<UL>\n" + Entry("Start", "index.html") +
                                       Entry("Fonts &amp; sounds", "fonts.html") + "<ul>\n" +
                                       Entry("Adding", "fonts.html#adding") + Entry("No page", "") +
                                       "</ul>\n" + Entry("Last", "last.html") +
                                       "</UL>\n</UL></UL>\n</BODY></HTML>\n");
  const std::vector<widgets::GuideTopic> topics =
      widgets::ReadGuideContents(QString::fromStdString(toc));
  ASSERT_EQ(topics.size(), 3u);
  EXPECT_EQ(topics[0].title.toStdString(), "Start");
  EXPECT_TRUE(topics[0].children.empty());
  EXPECT_EQ(topics[1].title.toStdString(), "Fonts & sounds");
  EXPECT_EQ(topics[1].page.toStdString(), "fonts.html");
  ASSERT_EQ(topics[1].children.size(), 1u);
  EXPECT_EQ(topics[1].children[0].title.toStdString(), "Adding");
  EXPECT_EQ(topics[1].children[0].page.toStdString(), "fonts.html#adding");
  EXPECT_EQ(topics[2].page.toStdString(), "last.html");
  std::filesystem::remove(toc);
}

// What is no contents file gives no contents, at once: missing, a folder, a
// FIFO (which is never opened: a read would wait for a writer), and a file
// far larger than any contents file.
TEST(GuideContents, NoContentsFromWhatIsNoContentsFile) {
  const std::string base = testing_support::UniqueTempPath("toc_hostile");
  std::filesystem::create_directories(base + "/folder.hhc");
  ASSERT_EQ(mkfifo((base + "/fifo.hhc").c_str(), 0600), 0);
  std::string huge = "<UL>\n";
  while (huge.size() < (2u << 20)) huge += Entry("Page", "page.html");
  testing_support::WriteBytes(base + "/huge.hhc", huge + "</UL>\n");
  for (const char* name : {"missing.hhc", "folder.hhc", "fifo.hhc", "huge.hhc"})
    EXPECT_TRUE(widgets::ReadGuideContents(QString::fromStdString(base + "/" + name)).empty())
        << name;
  std::filesystem::remove_all(base);
}

// The guide itself: every entry of its contents and every link between its
// pages lead to a page of the guide, and to the part they name (an element
// with that id), which the help window scrolls to.
TEST(GuideContents, TheGuidesEntriesAndLinksLeadToTheirParts) {
  const QString folder = GUIDE_SOURCES;
  std::vector<QString> targets;
  std::function<void(const std::vector<widgets::GuideTopic>&)> collect = [&](const auto& topics) {
    for (const widgets::GuideTopic& topic : topics) {
      targets.push_back(topic.page);
      collect(topic.children);
    }
  };
  collect(widgets::ReadGuideContents(folder + "/toc.hhc"));
  EXPECT_GT(targets.size(), 10u);
  static const QRegularExpression link(R"re(href="([^":]+)")re");
  for (const QString& page : QDir(folder).entryList({"*.html"})) {
    const QString html =
        QString::fromStdString(testing_support::ReadBytes((folder + "/" + page).toStdString()));
    for (auto it = link.globalMatch(html); it.hasNext();) {
      const QString target = it.next().captured(1);
      targets.push_back(target.startsWith('#') ? page + target : target);
    }
  }
  for (const QString& target : targets) {
    const QString file = target.section('#', 0, 0), part = target.section('#', 1);
    if (file.endsWith(".css")) continue;
    const std::string html = testing_support::ReadBytes((folder + "/" + file).toStdString());
    EXPECT_FALSE(html.empty()) << target.toStdString();
    if (!part.isEmpty())
      EXPECT_NE(html.find("id=\"" + part.toStdString() + "\""), std::string::npos)
          << target.toStdString();
  }
}

}  // namespace
