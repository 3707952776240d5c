// MD5 digests against RFC 1321's test suite and UTF-8 text.
#include <gtest/gtest.h>
#include <share.h>

using ShareLib::MD5;

TEST(Md5, KnownVectors) {
  EXPECT_EQ(MD5(std::string()).toString(), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(MD5(std::string("abc")).toString(), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(MD5(std::string("message digest")).toString(), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(
      MD5(std::string("12345678901234567890123456789012345678901234567890123456789012345678901234567890"))
          .toString(),
      "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, Utf8TextIsHashedAsBytes) {
  // "héllo wörld" in UTF-8: the digest is of the bytes, not of a wide or ANSI form.
  const std::string text = "h\xC3\xA9llo w\xC3\xB6rld";
  EXPECT_EQ(MD5(text).toString(), "ed0c22cc110ede12327851863c078138");
}

TEST(Md5, PointerAndStringFormsAgree) {
  const std::string text = "The quick brown fox jumps over the lazy dog";
  MD5 fromString(text);
  MD5 fromBytes(text.data(), text.size());
  EXPECT_EQ(fromString.toString(), "9e107d9d372bb6826bd81d3542a419d6");
  EXPECT_EQ(memcmp(fromString.digest(), fromBytes.digest(), 16), 0);
  EXPECT_EQ(fromString.digest()[0], 0x9e);
}

TEST(Md5, NullPointerIsTheEmptyInput) {
  EXPECT_EQ(MD5(nullptr, 0).toString(), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(MD5(nullptr, 10).toString(), "d41d8cd98f00b204e9800998ecf8427e");
}
