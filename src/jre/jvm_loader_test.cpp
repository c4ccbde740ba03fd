#include "jre/jvm_loader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/os.h"
#include "platform/path.h"
#include "platform/text_writer.h"
#include "report.h"
#include "shell/diagnostic_log.h"
#include "support/temp_dir.h"
#include "support/test_libraries.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing::placeJvmLibrary;
using testing::TempDir;
using testing::TestLibrary;
using Records = std::vector<std::string>;

// The log bytes that a sequence of texts gives.
std::string logged(std::initializer_list<std::u16string_view> texts) {
  std::string bytes(kUtf8ByteOrderMark);
  for (std::u16string_view text : texts) bytes += encodeTextForFile(text);
  return bytes;
}

Records reportBeside(const fs::path& library) {
  return testjvm::readReport(library.parent_path() / testjvm::kReportFileName);
}

void configure(const fs::path& library, const std::string& config) {
  std::ofstream(library.parent_path() / testjvm::kConfigFileName) << config;
}

class JvmLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(DiagnosticLog::open(logPath())); }
  void TearDown() override { DiagnosticLog::close(); }

  std::u16string logPath() const { return dir_.file(u"run.log"); }
  std::string log() {
    DiagnosticLog::close();
    return testing::readBytes(logPath());
  }
  std::u16string jre() const { return dir_.file(u"jre"); }
  std::u16string library(std::u16string folder, bool server) const {
    pathAppend(folder, server ? os::kServerJvmLibrary : os::kClientJvmLibrary);
    return folder;
  }
  bool create() {
    options_.append("-Dfirst=1");
    options_.append("-Dsecond=\xE9");
    return createJvmFromJre(jre(), context_, options_);
  }

  TempDir dir_;
  JvmContext context_;
  JvmOptionList options_;
};

TEST_F(JvmLoaderTest, TriesTheServerLibraryWhenNoClientLibraryLoads) {
  const fs::path server = placeJvmLibrary(TestLibrary::kJvm, jre(), /*server=*/true);
  ASSERT_TRUE(create());
  EXPECT_NE(context_.vm, nullptr);
  EXPECT_NE(context_.env, nullptr);
  EXPECT_EQ(log(), logged({u"Attempting to load jvm.dll.\n", library(jre(), false), u"\n",
                           u"Attempting to load jvm.dll.\n", library(jre(), true), u"\n",
                           u"Successfully loaded library. Attempting to create JVM.\n",
                           u"JVM Created successfully.\n", u"Hooray!!!\n"}));
  // The options reach the JVM byte for byte; the library that created it stays loaded.
  EXPECT_EQ(reportBeside(server),
            (Records{"attach", "create version=00010006 ignoreUnrecognized=1 nOptions=2",
                     "option -Dfirst=1", "option -Dsecond=\\xE9", "create-result 0"}));
}

TEST_F(JvmLoaderTest, ARefusedCreationUnloadsTheClientLibraryAndSkipsTheServer) {
  const fs::path client = placeJvmLibrary(TestLibrary::kJvm, jre());
  const fs::path server = placeJvmLibrary(TestLibrary::kJvm, jre(), /*server=*/true);
  configure(client, "create=refuse\n");
  EXPECT_FALSE(create());
  EXPECT_EQ(context_.vm, nullptr);
  EXPECT_EQ(context_.env, nullptr);
  EXPECT_EQ(log(), logged({u"Attempting to load jvm.dll.\n", library(jre(), false), u"\n",
                           u"Successfully loaded library. Attempting to create JVM.\n",
                           u"Unable to create JVM. Unloading library.\n"}));
  const Records report = reportBeside(client);
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.front(), "attach");
  EXPECT_EQ(report.back(), "detach");
  EXPECT_TRUE(reportBeside(server).empty());
}

TEST_F(JvmLoaderTest, ALibraryWithoutTheEntryPointIsUnloaded) {
  const fs::path client = placeJvmLibrary(TestLibrary::kNotJvm, jre());
  placeJvmLibrary(TestLibrary::kJvm, jre(), /*server=*/true);
  EXPECT_FALSE(create());
  EXPECT_EQ(log(), logged({u"Attempting to load jvm.dll.\n", library(jre(), false), u"\n",
                           u"Successfully loaded library. Attempting to create JVM.\n"}));
  EXPECT_EQ(reportBeside(client), (Records{"attach", "detach"}));
}

TEST_F(JvmLoaderTest, AFolderWithoutLibrariesLogsBothAttempts) {
  EXPECT_FALSE(create());
  EXPECT_EQ(log(), logged({u"Attempting to load jvm.dll.\n", library(jre(), false), u"\n",
                           u"Attempting to load jvm.dll.\n", library(jre(), true), u"\n"}));
}

TEST_F(JvmLoaderTest, FormsTheLibraryPathsLikeThePathHelpers) {
  const std::u16string separator(1, os::kPathSeparator);
  const struct {
    std::u16string folder, client;
  } cases[] = {
      {u"jre" + separator, u"jre" + separator + std::u16string(os::kClientJvmLibrary)},
      {u"", std::u16string(os::kClientJvmLibrary)},
      // Too long for the library's path: the folder is logged as it is and nothing is loaded.
      {std::u16string(250, u'a'), std::u16string(250, u'a')},
  };
  for (const auto& c : cases) {
    DiagnosticLog::close();
    ASSERT_TRUE(DiagnosticLog::open(logPath()));
    EXPECT_FALSE(createJvmFromJre(c.folder, context_, options_));
    EXPECT_TRUE(log().starts_with(logged({u"Attempting to load jvm.dll.\n", c.client, u"\n"})));
  }
}

TEST_F(JvmLoaderTest, AJvmLibraryFindsDependenciesInTheRuntimesBinFolder) {
  if (!testing::onWindows()) GTEST_SKIP() << "only Windows runtimes keep DLLs in their bin folder";
  const fs::path client = placeJvmLibrary(TestLibrary::kJvmNeedingDependency, jre());
  testing::placeLibrary(TestLibrary::kDependency,
                        fs::path(jre()) / "bin" / testing::libraryFileName(TestLibrary::kDependency));
  ASSERT_TRUE(create());
  const Records report = reportBeside(client);
  ASSERT_GE(report.size(), 2u);
  EXPECT_EQ(report[1], "dependency 42");
}

}  // namespace
}  // namespace lumora
