// The digest: RFC 1321's test suite with the standard start words, GLib's MD5
// as a second opinion across block boundaries, then the password words.
#include <glib.h>
#include <gtest/gtest.h>

#include <string>

#include "access/md5_digest.h"
#include "access/password_store.h"

using namespace corvane;

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(toHex(md5("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(toHex(md5("a")), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(toHex(md5("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(toHex(md5("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(toHex(md5("abcdefghijklmnopqrstuvwxyz")), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(toHex(md5("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(
        toHex(md5(
            "12345678901234567890123456789012345678901234567890123456789012345678901234567890")),
        "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, AgreesWithGlibAcrossBlockBoundaries) {
    std::string message;
    for (int length = 0; length <= 300; ++length) {
        gchar* expected = g_compute_checksum_for_data(
            G_CHECKSUM_MD5, reinterpret_cast<const guchar*>(message.data()), message.size());
        EXPECT_EQ(toHex(md5(message)), expected) << "length " << length;
        g_free(expected);
        message += static_cast<char>('!' + length * 7 % 90);
    }
}

TEST(Md5, PasswordWordsGiveFixedDigests) {
    // Changing the start words would make every stored password unusable:
    // these vectors hold them in place.
    EXPECT_EQ(kPasswordDigestStart, (Md5Words{0x6B6F7276, 0x656C5057, 0x2D636F72, 0x76616E65}));
    EXPECT_EQ(PasswordDigest(""), "2c4431a037b23f48a83b900228c99c2a");
    EXPECT_EQ(PasswordDigest("582917"), "a726c79d86f425024a05208c3d6f9997");
    EXPECT_EQ(PasswordDigest("abc"), "13ad9f22e45891aac2d4d36bffae61f8");
    EXPECT_NE(PasswordDigest("abc"), toHex(md5("abc")));
    EXPECT_EQ(PasswordDigest("582917").size(), 32u);
}
