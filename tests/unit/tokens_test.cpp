#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "file_io.h"
#include "package_report.h"
#include "package/tokens.h"
#include "package_builder.h"
#include "pack_cli.h"
#include "package_fixtures.h"
#include "token_writer.h"
#include "util/ini_registry.h"
#include "util/lists.h"

namespace zelkor {
namespace {

using fixtures::Build;
using fixtures::FakeStub;

// Stored bytes as the token's characters: two hexadecimal digits each,
// raised by 50.
std::string Raise(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string token;
    for (unsigned char b : bytes) {
        token += static_cast<char>(digits[b >> 4] + 50);
        token += static_cast<char>(digits[b & 15] + 50);
    }
    return token;
}

// The stored bytes of a token (the reverse of Raise for well-formed ones).
std::string Lower(const std::string& token) {
    std::string bytes;
    for (size_t i = 0; i + 1 < token.size(); i += 2) {
        const std::string pair = {char(token[i] - 50), char(token[i + 1] - 50)};
        bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return bytes;
}

// Stored bytes without the check byte (before k1, which ends them) -> a
// token with the right check byte in place.
std::string WithCheck(std::string bytes) {
    unsigned sum = 0;
    for (unsigned char b : bytes)
        sum += b;
    bytes.insert(bytes.size() - 1, 1, static_cast<char>(sum & 0xFF));
    return Raise(bytes);
}

TokenText Clear(const std::string& text) {
    TokenText token;
    token.decoded = true;
    token.clear = text;
    return token;
}

std::string Encode(const std::string& clear, uint64_t seed) {
    TokenRandom random(seed);
    return EncodeToken(clear, random);
}

TGFileInfo InfoFromImage(const std::string& image) {
    MemoryByteSource source(image);
    return TGFileInfo(source);
}

std::string Installer(const std::string& agentToken, const std::string& webToken) {
    PackageDescription p;
    p.listCount = 3;
    p.updateList = "|http://u/|app.info|agent.exe|" + agentToken + "|0|";
    p.webList = "|http://w/|full.exe|0|" + webToken + "|1|";
    return Build(p);
}

TEST(TokenDecode, KnownTokensDecode) {
    // k0 0x21, k1 0x64, fillers 01 02 before and 07 after "Zelkor".
    const TokenText zelkor = DecodeToken("dcfififfficxdbdkdwdseifdvihf");
    EXPECT_TRUE(zelkor.decoded);
    EXPECT_EQ(zelkor.clear, "Zelkor");

    const TokenText fallback = DecodeToken(kDefaultAgentToken);
    EXPECT_TRUE(fallback.decoded);
    EXPECT_EQ(fallback.clear, "no-agent");
}

TEST(TokenDecode, EncoderWritesTheLayout) {
    TokenLayout layout;
    layout.k0 = 0x3C;
    layout.k1 = 0xA5;
    layout.leadingFiller = "\x10\x20\x30";
    layout.trailingFiller = "\x99";
    std::string token, error;
    ASSERT_TRUE(EncodeTokenWithLayout("abc", layout, &token, &error)) << error;

    const std::string d = Lower(token);
    const uint8_t k = 0x3C ^ 0xA5;
    ASSERT_EQ(d.size(), 3u + 3 + 3 + 2 + 1); // frame, fillers, text, check, k1
    EXPECT_EQ(uint8_t(d[0]), 0x3C);
    EXPECT_EQ(uint8_t(d.back()), 0xA5);
    EXPECT_EQ(uint8_t(d[1]) ^ k, 3);
    EXPECT_EQ(uint8_t(d[2]) ^ k, 2); // the filler byte and the check byte
    std::string middle;
    for (size_t i = 3; i < d.size() - 2; ++i)
        middle += static_cast<char>(uint8_t(d[i]) ^ k);
    EXPECT_EQ(middle, std::string("\x10\x20\x30") + "abc" + "\x99");
    unsigned sum = 0;
    for (size_t i = 0; i < d.size(); ++i)
        if (i != d.size() - 2) sum += uint8_t(d[i]);
    EXPECT_EQ(uint8_t(d[d.size() - 2]), sum & 0xFF);
    EXPECT_EQ(token.find_first_not_of("bcdefghijkstuvwx"), std::string::npos) << token;
    EXPECT_EQ(DecodeToken(token).clear, "abc");
}

TEST(TokenDecode, BrokenTokensDoNotDecode) {
    const std::string good = Encode("secret", 7);
    ASSERT_TRUE(DecodeToken(good).decoded);
    std::string wrongCheck = good;
    // The check byte is the second-last pair; change its low digit.
    char& checkDigit = wrongCheck[wrongCheck.size() - 3];
    checkDigit = checkDigit == 'b' ? 'c' : 'b';
    std::string foreign = good;
    // "a" lowers to "/", no digit; in a low digit it changes the byte.
    foreign[7] = 'a';

    const struct {
        const char* name;
        std::string token;
    } cases[] = {
        {"empty item", ""},
        {"one character", "c"},
        {"four bytes", Raise(std::string("\x01\x00\x00\x00", 4))},
        {"four bytes with the right check", WithCheck(std::string("\x00\x00\x00", 3))},
        {"wrong check byte", wrongCheck},
        {"foreign character", foreign},
        {"one more character", good + "b"},
        {"one character less", good.substr(0, good.size() - 1)},
        {"clear text of the same bytes", "secret-secret-secret"},
        // k = 0: a = 200 leading filler bytes in a block of 8.
        {"fillers overrun the block", WithCheck(std::string("\x00\xC8\x01\x41\x42\x43\x00", 7))},
        {"trailing filler overruns", WithCheck(std::string("\x00\x00\x05\x41\x42\x00", 6))},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeToken(c.token).decoded) << c.name;
}

TEST(TokenDecode, ReadsPairsAsHexToInt64Does) {
    // Lower-case digits raised by 50 read like upper-case ones.
    const std::string token = Encode("MixedCase", 11);
    std::string lower = token;
    for (char& c : lower)
        if (c >= 's' && c <= 'x') c = static_cast<char>(c - 's' + 'a' + 50);
    ASSERT_NE(lower, token);
    EXPECT_EQ(DecodeToken(lower).clear, "MixedCase");

    // A foreign character counts as -1: "Z5" is -16 + 5, the byte 0xF5.
    const std::string bytes = std::string("\x00\x01\x01\xF5", 4) + "abc" + std::string("\x00", 1);
    const std::string withF5 = WithCheck(bytes);
    const size_t at = 6; // the pair of the filler byte 0xF5
    ASSERT_EQ(withF5.substr(at, 2), Raise("\xF5"));
    std::string withZ5 = withF5;
    withZ5[at] = static_cast<char>('Z' + 50);
    EXPECT_EQ(DecodeToken(withF5).clear, "abc");
    EXPECT_EQ(DecodeToken(withZ5).clear, "abc");

    // An odd last character is read alone: k1 = 0x05 is "g" as well as "bg".
    TokenLayout layout;
    layout.k0 = 0x77;
    layout.k1 = 0x05;
    layout.leadingFiller = "\x01";
    layout.trailingFiller = "\x02";
    std::string even, error;
    ASSERT_TRUE(EncodeTokenWithLayout("odd", layout, &even, &error));
    ASSERT_EQ(even.substr(even.size() - 2), "bg");
    const std::string odd = even.substr(0, even.size() - 2) + "g";
    EXPECT_EQ(DecodeToken(odd).clear, "odd");
}

TEST(TokenDecode, RoundTripsOverClearTextsAndRandomLayouts) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += static_cast<char>(b);
    const std::vector<std::string> texts = {
        "",         "x",
        "no-agent", "Publisher Token 2024",
        "a|b^c",    std::string("nul\0in", 6),
        allBytes,   std::string(1000, 'T'),
    };
    for (const std::string& text : texts) {
        std::vector<std::string> tokens;
        for (uint64_t seed = 0; seed < 200; ++seed) {
            const std::string token = Encode(text, seed);
            const TokenText decoded = DecodeToken(token);
            ASSERT_TRUE(decoded.decoded) << "seed " << seed;
            ASSERT_EQ(decoded.clear, text) << "seed " << seed;
            ASSERT_EQ(token.size() % 2, 0u);
            // The clear text never shows: k0 and k1 always differ.
            const std::string d = Lower(token);
            ASSERT_NE(d.front(), d.back());
            tokens.push_back(token);
        }
        // Random fillers and keys: the same text gives many tokens.
        std::sort(tokens.begin(), tokens.end());
        EXPECT_GT(std::unique(tokens.begin(), tokens.end()) - tokens.begin(), 150);
    }
    TokenRandom fresh(FreshTokenSeed());
    EXPECT_EQ(DecodeToken(EncodeToken("fresh", fresh)).clear, "fresh");
}

TEST(TokenDecode, FillersUpToTheirLengthBytes) {
    TokenLayout layout;
    layout.k0 = 1;
    layout.k1 = 2;
    layout.leadingFiller = std::string(kMaxLeadingFiller, 'L');
    layout.trailingFiller = std::string(kMaxTrailingFiller, 'T');
    std::string token, error;
    ASSERT_TRUE(EncodeTokenWithLayout("long", layout, &token, &error)) << error;
    EXPECT_EQ(DecodeToken(token).clear, "long");

    layout.leadingFiller += 'L';
    EXPECT_FALSE(EncodeTokenWithLayout("long", layout, &token, &error));
    EXPECT_NE(error, "");
    layout.leadingFiller.pop_back();
    layout.trailingFiller += 'T';
    EXPECT_FALSE(EncodeTokenWithLayout("long", layout, &token, &error));
}

TEST(TokenCompare, OnlyDecodedEqualTextsMatch) {
    TokenText undecoded;
    const struct {
        const char* name;
        TokenText a, b;
        bool same;
    } cases[] = {
        {"equal", Clear("abc"), Clear("abc"), true},
        {"both empty", Clear(""), Clear(""), true},
        {"different", Clear("abc"), Clear("abd"), false},
        {"case differs", Clear("abc"), Clear("ABC"), false},
        {"one undecoded", Clear(""), undecoded, false},
        {"both undecoded", undecoded, undecoded, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameToken(c.a, c.b), c.same) << c.name;
        EXPECT_EQ(SameToken(c.b, c.a), c.same) << c.name;
    }
}

TEST(TokenCompare, DescriptorsCompareClearTexts) {
    const std::string agent = Encode("agent-secret", 1);
    const std::string web = Encode("web-secret", 2);
    const TGFileInfo own = InfoFromImage(Installer(agent, web));
    const struct {
        const char* name;
        std::string agentToken, webToken;
        bool sameAgent, sameWeb;
    } cases[] = {
        {"same items", agent, web, true, true},
        {"other fillers and keys", Encode("agent-secret", 3), Encode("web-secret", 4), true, true},
        {"other secrets", Encode("agent-secrets", 3), Encode("Web-secret", 4), false, false},
        {"tokens swapped", web, agent, false, false},
        {"empty items", "", "", false, false},
    };
    for (const auto& c : cases) {
        const TGFileInfo other = InfoFromImage(Installer(c.agentToken, c.webToken));
        EXPECT_EQ(SameAgentToken(own, other), c.sameAgent) << c.name;
        EXPECT_EQ(SameWebToken(own, other), c.sameWeb) << c.name;
    }

    // A token that does not decode does not even match a copy of itself.
    std::string broken = agent;
    broken[4] = broken[4] == 'b' ? 'c' : 'b';
    const std::string brokenImage = Installer(broken, broken);
    const TGFileInfo a = InfoFromImage(brokenImage);
    const TGFileInfo b = InfoFromImage(brokenImage);
    EXPECT_FALSE(SameAgentToken(a, b));
    EXPECT_FALSE(SameWebToken(a, b));

    // Without a package (or a web list) there is no token at all.
    const std::string stub = FakeStub();
    const TGFileInfo none = InfoFromImage(stub);
    EXPECT_FALSE(SameAgentToken(none, none));
    EXPECT_FALSE(SameWebToken(none, none));
    EXPECT_EQ(GetAgentToken(own).clear, "agent-secret");
    EXPECT_EQ(GetWebToken(own).clear, "web-secret");
}

TEST(TokenFile, ParsesFieldsPlainAndScrambled) {
    const std::string token = Encode("inform", 5);
    const struct {
        const char* name;
        std::string text;
        bool decoded;
        std::string rest;
    } cases[] = {
        {"four bars", "x|" + token + "|y|z|The page", true, "The page"},
        {"bars in the page", "|" + token + "|||a|b|", true, "a|b|"},
        {"empty page", "|" + token + "|||", true, ""},
        {"three bars", "x|" + token + "|y|tail", true, "tail"},
        {"two bars", "x|" + token + "|tail", true, "tail"},
        // With one bar field 1 is missing: what follows the bar is the rest.
        {"one bar", "x|" + token, false, token},
        {"no bar", "just text", false, "just text"},
        {"empty", "", false, ""},
        {"token in field 0", token + "|x|||page", false, "page"},
    };
    for (const auto& c : cases) {
        for (bool scrambled : {false, true}) {
            const std::string text = scrambled ? ScrambleTextWithKey(c.text, true, 77) : c.text;
            const TokenFile file = ParseTokenFile(text);
            EXPECT_EQ(file.token.decoded, c.decoded) << c.name << scrambled;
            if (c.decoded) {
                EXPECT_EQ(file.token.clear, "inform") << c.name << scrambled;
            }
            EXPECT_EQ(file.rest, c.rest) << c.name << scrambled;
        }
    }
}

TEST(TokenFile, WriterOutputParsesBack) {
    for (bool scramble : {false, true}) {
        TokenRandom random(scramble ? 1 : 2);
        std::string text, error;
        ASSERT_TRUE(TokenFileText("inform-secret", "http://example.test/buy", "Line 1|Line 2",
                                  scramble, random, &text, &error))
            << error;
        EXPECT_EQ(text.compare(0, 12, kScrambleMarker) == 0, scramble);
        EXPECT_EQ(text.find("inform-secret"), std::string::npos);
        const TokenFile file = ParseTokenFile(text);
        EXPECT_TRUE(file.token.decoded);
        EXPECT_EQ(file.token.clear, "inform-secret");
        EXPECT_EQ(file.rest, "Line 1|Line 2");
    }
    TokenRandom random(3);
    std::string text, error;
    EXPECT_FALSE(TokenFileText("t", "http://a|b", "", false, random, &text, &error));
    EXPECT_NE(error, "");
}

class TokenFiles : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TempDir() + "tokens_test_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    }
    void TearDown() override {
        for (const std::string& path : written_)
            std::remove(path.c_str());
    }
    std::string Path(const std::string& name) {
        written_.push_back(dir_ + name);
        return dir_ + name;
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = Path(name);
        std::string error;
        EXPECT_TRUE(WriteFileReplacing(path, bytes, &error)) << error;
        return path;
    }
    std::string Read(const std::string& path) {
        std::string bytes, error;
        EXPECT_TRUE(ReadWholeFile(path, &bytes, &error)) << error;
        return bytes;
    }
    int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
        return fixtures::RunPackCaptured(args, out, &error_);
    }
    static bool HasLine(const std::string& report, const std::string& line) {
        return ("\n" + report).find("\n" + line + "\n") != std::string::npos;
    }

    std::string dir_;
    std::string error_;
    std::vector<std::string> written_;
};

TEST_F(TokenFiles, SameAgentTokenReadsInstallersAndTokenFiles) {
    const TGFileInfo own = InfoFromImage(Installer(Encode("mine", 1), ""));
    const std::string installer = Write("same.exe", Installer(Encode("mine", 9), ""));
    const std::string stranger = Write("other.exe", Installer(Encode("theirs", 9), ""));
    TokenRandom random(4);
    std::string plain, scrambled, foreign, error;
    ASSERT_TRUE(TokenFileText("mine", "", "page", false, random, &plain, &error));
    ASSERT_TRUE(TokenFileText("mine", "", "page", true, random, &scrambled, &error));
    ASSERT_TRUE(TokenFileText("theirs", "", "page", true, random, &foreign, &error));
    const std::string plainFile = Write("plain.txt", plain);
    const std::string scrambledFile = Write("scrambled.txt", scrambled);
    const std::string foreignFile = Write("foreign.txt", foreign);
    const std::string missing = Path("missing.txt");

    const struct {
        const char* name;
        std::string path;
        int kind;
        bool same;
    } cases[] = {
        {"installer", installer, kTokenKindInstaller, true},
        {"other publisher", stranger, kTokenKindInstaller, false},
        {"token file", plainFile, kTokenKindTokenFile, true},
        {"scrambled token file", scrambledFile, kTokenKindTokenFile, true},
        {"other token file", foreignFile, kTokenKindTokenFile, false},
        {"installer read as token file", installer, kTokenKindTokenFile, false},
        {"token file read as installer", plainFile, kTokenKindInstaller, false},
        {"missing installer", missing, kTokenKindInstaller, false},
        {"missing token file", missing, kTokenKindTokenFile, false},
        {"kind 1", installer, 1, false},
        {"kind 4", plainFile, 4, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameAgentToken(own, c.path, c.kind), c.same) << c.name;

    // A token file too large to hold reads as empty.
    fixtures::SparseByteSource huge(kMaxTokenFileSize + 1);
    huge.Place(0, plain);
    EXPECT_FALSE(SameAgentToken(own, huge, kTokenKindTokenFile));
    fixtures::SparseByteSource fits(kMaxTokenFileSize);
    fits.Place(0, plain);
    EXPECT_TRUE(SameAgentToken(own, fits, kTokenKindTokenFile));
}

TEST_F(TokenFiles, TokenCommandPrintsOneScrambledToken) {
    std::string out;
    ASSERT_EQ(Run({"token", "Publisher 42"}, &out), 0) << error_;
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n'), out.size() - 1);
    EXPECT_EQ(DecodeToken(out.substr(0, out.size() - 1)).clear, "Publisher 42");
    EXPECT_EQ(out.find("Publisher"), std::string::npos);

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"token"}, {"token", ""}, {"token", "a", "b"}}) {
        EXPECT_EQ(Run(args), 2) << testing::PrintToString(args);
        EXPECT_NE(error_, "");
    }
}

TEST_F(TokenFiles, TokenFileCommandWritesWhatTheAgentReads) {
    const std::string page = Write("page.txt", std::string("Version 2|is out\r\n\0!", 21));
    const std::string plain = Path("inform.txt");
    ASSERT_EQ(Run({"token-file", "--token", "pub", "--out", plain, "--url", "http://x/buy",
                   "--page", page}),
              0)
        << error_;
    const std::string text = Read(plain);
    EXPECT_EQ(text.compare(0, 1, "|"), 0);
    EXPECT_NE(text.find("|http://x/buy||"), std::string::npos);
    TokenFile file = ParseTokenFile(text);
    EXPECT_EQ(file.token.clear, "pub");
    EXPECT_EQ(file.rest, Read(page));

    const std::string scrambled = Path("scrambled.txt");
    ASSERT_EQ(Run({"token-file", "--scramble", "--token=pub", "--out", scrambled, "--page-text",
                   "Hello"}),
              0)
        << error_;
    const std::string scrambledText = Read(scrambled);
    EXPECT_EQ(scrambledText.compare(0, 12, kScrambleMarker), 0);
    file = ParseTokenFile(scrambledText);
    EXPECT_EQ(file.token.clear, "pub");
    EXPECT_EQ(file.rest, "Hello");

    const std::vector<std::vector<std::string>> mistakes = {
        {"token-file", "--out", Path("x")},
        {"token-file", "--token", "t"},
        {"token-file", "--token", "t", "--out", Path("x"), "--url", "a|b"},
        {"token-file", "--token", "t", "--out", Path("x"), "--page", "p", "--page-text", "q"},
        {"token-file", "--token", "t", "--out", Path("x"), "--scramble=1"},
        {"token-file", "--token", "t", "--out", Path("x"), "--frobnicate"},
        {"token-file", "--token", "t", "--out"},
    };
    for (const auto& args : mistakes) {
        EXPECT_EQ(Run(args), 2) << testing::PrintToString(args);
        EXPECT_NE(error_, "");
    }
    EXPECT_EQ(Run({"token-file", "--token", "t", "--out", Path("x"), "--page", Path("none")}), 1);
}

TEST_F(TokenFiles, BuildScramblesTokenTextsAndInspectKeepsThemHidden) {
    const std::string stub = Write("stub.exe", FakeStub());
    const std::string out = Path("out.exe");
    ASSERT_EQ(Run({"build", "--stub", stub, "--out", out, "--agent-token-text", "agent-clear",
                   "--web-token-text", "web-clear"}),
              0)
        << error_;
    const TGFileInfo info(out);
    ASSERT_TRUE(info.HasPackage());
    EXPECT_EQ(info.Record().ListCount(), 3);
    EXPECT_EQ(GetAgentToken(info).clear, "agent-clear");
    EXPECT_EQ(GetWebToken(info).clear, "web-clear");
    EXPECT_NE(info.GetAgentTokenItem(), info.GetWebTokenItem());

    std::string report;
    ASSERT_EQ(Run({"inspect", out}, &report), 0);
    EXPECT_TRUE(HasLine(report, "AgentTokenDecodes: yes")) << report;
    EXPECT_TRUE(HasLine(report, "WebTokenDecodes: yes")) << report;
    EXPECT_EQ(report.find("agent-clear"), std::string::npos);
    EXPECT_EQ(report.find("web-clear"), std::string::npos);
    EXPECT_EQ(report.find("TokenText:"), std::string::npos);
    ASSERT_EQ(Run({"inspect", "--show-tokens", out}, &report), 0);
    EXPECT_TRUE(HasLine(report, "AgentTokenText: \"agent-clear\"")) << report;
    EXPECT_TRUE(HasLine(report, "WebTokenText: \"web-clear\"")) << report;

    // A raw item that does not decode, and no web list: no clear text to show.
    const std::string bad = Path("bad.exe");
    ASSERT_EQ(Run({"build", "--stub", stub, "--out", bad, "--agent-token", "not-a-token"}), 0);
    ASSERT_EQ(Run({"inspect", "--show-tokens", bad}, &report), 0);
    EXPECT_TRUE(HasLine(report, "AgentTokenDecodes: no")) << report;
    EXPECT_TRUE(HasLine(report, "WebTokenDecodes: no")) << report;
    EXPECT_EQ(report.find("TokenText:"), std::string::npos);

    // The default item decodes.
    const std::string plain = Path("plain.exe");
    ASSERT_EQ(Run({"build", "--stub", stub, "--out", plain}), 0);
    ASSERT_EQ(Run({"inspect", plain}, &report), 0);
    EXPECT_TRUE(HasLine(report, "AgentTokenDecodes: yes")) << report;

    const std::vector<std::vector<std::string>> mistakes = {
        {"--agent-token-text", "a", "--agent-token", "t"},
        {"--agent-token", "t", "--agent-token-text", "a"},
        {"--web-token-text", "w", "--web-token", "t"},
        {"--agent-token-text", ""},
        {"--agent-token-text", "a", "--update-list", stub},
        {"--web-token-text", "w", "--web-list", stub},
        {"--web-token-text", "w", "--list-count", "2"},
    };
    for (const auto& extra : mistakes) {
        std::vector<std::string> args = {"build", "--stub", stub, "--out", Path("never.exe")};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(Run(args), 2) << testing::PrintToString(extra);
        EXPECT_NE(error_, "") << testing::PrintToString(extra);
    }
}

} // namespace
} // namespace zelkor
