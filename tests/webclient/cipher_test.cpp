#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/run_command.h"
#include "tests/common/temp_dir.h"
#include "tests/webclient/test_util.h"
#include "webclient/LoginCipher.h"
#include "webclient/deploy.h"

namespace {

const BYTE kIv[17] = "Ab3dE6gH9jK2mN5p";

std::string Encrypt(const std::string& utf8) {
  std::u16string wide = Utf8ToUtf16(utf8);
  return Utf16ToUtf8(EncryptPayload(wide.c_str(), kIv));
}

std::string WithoutLineFeeds(std::string s) {
  std::erase(s, '\n');
  return s;
}

// The same encipherment by the openssl command, as one Base64 line.
std::string OpensslEncrypt(const std::string& utf8) {
  TempDir dir;
  WriteBytes(dir.File("plain"), utf8);
  std::string key = DeployCipherKey();
  std::string cmd = "openssl enc -aes-256-cbc -K " + ToHex(key) + " -iv " +
                    ToHex(std::string(reinterpret_cast<const char*>(kIv), 16)) + " -base64 -A -in " + dir.File("plain");
  std::string out;
  EXPECT_TRUE(RunCommand(cmd, &out, CommandOutput::kStdoutOnly)) << cmd;
  return WithoutLineFeeds(out);
}

}  // namespace

TEST(LoginCipher, MatchesOpensslOnTheSameKeyIvAndText) {
  for (const std::string& text :
       {std::string(), std::string("402517:Pm7RacingLapKey4Uploads2Standin9"), std::string(16, 'x'),
        std::string("rider@example.org:p\xC3\xA4ss w\xE2\x82\xACrd \xF0\x9F\x8F\x81"), std::string(200, 'q')}) {
    std::string ours = Encrypt(text);
    EXPECT_EQ(WithoutLineFeeds(ours), OpensslEncrypt(text)) << text;
  }
}

TEST(LoginCipher, LengthsAndLineBreaksAtTheirBoundaries) {
  // Empty text: one padding block, 24 characters, no line feed.
  std::string empty = Encrypt("");
  EXPECT_EQ(empty.size(), 24u);
  EXPECT_EQ(empty.substr(22), "==");
  EXPECT_EQ(empty.find('\n'), std::string::npos);

  // One block of text gives two blocks of cipher: 44 characters.
  EXPECT_EQ(Encrypt(std::string(16, 'a')).size(), 44u);
  EXPECT_EQ(Encrypt(std::string(15, 'a')).size(), 24u);

  // 48 cipher bytes: 64 characters, still one line.
  std::string one = Encrypt(std::string(32, 'a'));
  EXPECT_EQ(one.size(), 64u);
  EXPECT_EQ(one.find('\n'), std::string::npos);

  // 64 cipher bytes: 88 characters as 72, a line feed and 16; none at the end.
  std::string two = Encrypt(std::string(48, 'a'));
  ASSERT_EQ(two.size(), 89u);
  EXPECT_EQ(two.find('\n'), 72u);
  EXPECT_EQ(two.rfind('\n'), 72u);
  EXPECT_NE(two.back(), '\n');

  // 208 cipher bytes: 280 characters in lines of 72, 72, 72 and 64.
  std::string four = Encrypt(std::string(200, 'a'));
  ASSERT_EQ(four.size(), 283u);
  EXPECT_EQ(four[72], '\n');
  EXPECT_EQ(four[145], '\n');
  EXPECT_EQ(four[218], '\n');
  EXPECT_NE(four.back(), '\n');
}

TEST(LoginCipher, SameTextAndIvGiveTheSameResultAndDecipherBack) {
  const std::string text = "rider@example.org:secret";
  std::string a = Encrypt(text);
  EXPECT_EQ(a, Encrypt(text));
  EXPECT_NE(a, Encrypt(text + "!"));

  TempDir dir;
  WriteBytes(dir.File("cipher"), a + "\n");
  std::string cmd = "openssl enc -d -aes-256-cbc -K " + ToHex(DeployCipherKey()) + " -iv " +
                    ToHex(std::string(reinterpret_cast<const char*>(kIv), 16)) + " -base64 -in " + dir.File("cipher");
  std::string out;
  EXPECT_TRUE(RunCommand(cmd, &out, CommandOutput::kStdoutOnly));
  EXPECT_EQ(out, text);

  // Without an IV a random one is taken: the text differs from run to run.
  std::u16string wide = Utf8ToUtf16(text);
  EXPECT_NE(EncryptPayload(wide.c_str(), nullptr), EncryptPayload(wide.c_str(), nullptr));
}

TEST(LoginCipher, Md5HexMatchesMd5sum) {
  EXPECT_EQ(Md5Hex("", 0), "D41D8CD98F00B204E9800998ECF8427E");
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes.push_back(static_cast<char>(i * 7 + (i >> 8)));
  WriteBytes(dir.File("blob"), bytes);
  std::string sum;
  RunCommand("md5sum " + dir.File("blob"), &sum, CommandOutput::kStdoutOnly);
  sum = sum.substr(0, 32);
  for (char& c : sum) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Md5Hex(bytes.data(), bytes.size()), sum);
}
