#include "launch/java_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "jre/jvm_loader.h"
#include "jvmconfig/single_user_token.h"
#include "platform/text_writer.h"
#include "report.h"
#include "shell/diagnostic_log.h"
#include "support/temp_dir.h"
#include "support/test_libraries.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::TestLibrary;
using Records = std::vector<std::string>;

// A JVM made by the test JVM library, told what to do by `config`.
class JavaEntryTest : public ::testing::Test {
 protected:
  void createJvm(const std::string& config = "") {
    library_ = testing::placeJvmLibrary(TestLibrary::kJvm, dir_.file(u"jre"));
    std::ofstream(library_.parent_path() / testjvm::kConfigFileName) << config;
    ASSERT_TRUE(makeSingleUserToken(context_));
    JvmOptionList options;
    ASSERT_TRUE(createJvmFromJre(dir_.file(u"jre"), context_, options));
  }

  // The records after the JVM's creation.
  Records calls() const {
    Records report = testjvm::readReport(library_.parent_path() / testjvm::kReportFileName);
    auto created = std::find(report.begin(), report.end(), "create-result 0");
    return created == report.end() ? Records{} : Records(created + 1, report.end());
  }

  std::string token() const { return *context_.token; }

  TempDir dir_;
  fs::path library_;
  JvmContext context_;
};

TEST_F(JavaEntryTest, MainGetsTheTokenAlone) {
  createJvm();
  EXPECT_EQ(invokeJavaMain(context_, std::nullopt), JavaMainOutcome::kReturned);
  EXPECT_EQ(calls(), (Records{"FindClass java/lang/String",
                              "FindClass com/veltra/orbique/singleuser/Main",
                              "GetStaticMethodID main ([Ljava/lang/String;)V",
                              "NewString " + token(),
                              "NewObjectArray 1 java/lang/String init-null",
                              "SetObjectArrayElement 0 " + token(),
                              "main 1", "arg 0 " + token(),
                              "ExceptionOccurred",
                              "DeleteLocalRef array"}));
}

TEST_F(JavaEntryTest, MainGetsTheTokenAndTheFileCodeUnitForCodeUnit) {
  createJvm();
  const std::u16string file = u"C:\\docs\\caf\u00e9 \u4e2d\U0001F600.lum";
  const std::string recorded = testjvm::escapeUtf16(file);
  EXPECT_EQ(invokeJavaMain(context_, file), JavaMainOutcome::kReturned);
  EXPECT_EQ(calls(), (Records{"FindClass java/lang/String",
                              "FindClass com/veltra/orbique/singleuser/Main",
                              "GetStaticMethodID main ([Ljava/lang/String;)V",
                              "NewString " + token(), "NewString " + recorded,
                              "NewObjectArray 2 java/lang/String init-null",
                              "SetObjectArrayElement 0 " + token(),
                              "SetObjectArrayElement 1 " + recorded,
                              "main 2", "arg 0 " + token(), "arg 1 " + recorded,
                              "ExceptionOccurred",
                              "DeleteLocalRef array", "DeleteLocalRef string"}));
}

TEST_F(JavaEntryTest, AThrowingMainIsLoggedDescribedAndCleared) {
  createJvm("main=throw\n");
  const std::u16string logPath = dir_.file(u"run.log");
  ASSERT_TRUE(DiagnosticLog::open(logPath));
  EXPECT_EQ(invokeJavaMain(context_, std::nullopt), JavaMainOutcome::kThrew);
  DiagnosticLog::close();
  EXPECT_EQ(testing::readBytes(logPath),
            std::string(kUtf8ByteOrderMark) +
                "Java main() ended with an exception.\r\n"
                "java.lang.IllegalStateException: thrown by the test main\r\n");
  const Records records = calls();
  const auto describe = std::find(records.begin(), records.end(), "ExceptionDescribe");
  ASSERT_NE(describe, records.end());
  EXPECT_NE(std::find(describe, records.end(), "toString"), records.end());
  EXPECT_NE(std::find(describe, records.end(), "ReleaseStringChars"), records.end());
  EXPECT_EQ(records.back(), "DeleteLocalRef array");
}

struct FailureCase {
  std::string config;
  std::string failingCall;  // the call whose failure stops the launch
};

class JavaEntryFailureTest : public JavaEntryTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(JavaEntryFailureTest, MainIsNotCalledAndNothingIsLeftBehind) {
  createJvm(GetParam().config);
  EXPECT_EQ(invokeJavaMain(context_, u"file.lum"), JavaMainOutcome::kNotLaunched);
  const Records records = calls();
  EXPECT_NE(std::find(records.begin(), records.end(), GetParam().failingCall), records.end());
  EXPECT_EQ(std::count_if(records.begin(), records.end(),
                          [](const std::string& r) { return r.starts_with("main"); }),
            0);
  // A file string made before the array failed is released again.
  const bool madeFile = std::find(records.begin(), records.end(), "NewString file.lum") !=
                        records.end();
  EXPECT_EQ(std::find(records.begin(), records.end(), "DeleteLocalRef string") != records.end(),
            madeFile);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, JavaEntryFailureTest,
    ::testing::Values(
        FailureCase{"mainclass=missing\n", "FindClass com/veltra/orbique/singleuser/Main"},
        FailureCase{"stringclass=missing\n", "FindClass java/lang/String"},
        FailureCase{"mainmethod=missing\n", "GetStaticMethodID main ([Ljava/lang/String;)V"},
        FailureCase{"newarray=fail\n", "NewObjectArray 2 java/lang/String init-null"}));

}  // namespace
}  // namespace lumora
