// The stream: member limits, pushback, lines, formatted reads with the C
// library's rules, comment skipping, seeking and the same over inflated data.
#include <limits.h>
#include <string.h>

#include <string>

#include "support/data_file_fixture.h"

// data_vscanf with four int targets, through a va_list as callers with their
// own variadic wrappers use it.
static int data_scanf_ints(DataStream* s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = data_vscanf(s, format, args);
    va_end(args);
    return n;
}

// A stream over some content: as an archive member (followed by another
// member, so that reading past its end would show the neighbour's bytes), as
// a plain file, or inflated from a gzip member.
enum Kind { MEMBER, PLAIN, GZIP_MEMBER };

class StreamTest : public DataFilesTest {
protected:
    DataStream* open_over(const std::string& content, Kind kind) {
        data_files_shutdown();
        std::string name = "s" + std::to_string(serial++);
        if (kind == PLAIN) home_file(name, content);
        else if (kind == MEMBER) data_file(name + ".saf", make_saf({{name, content}, {"next", "NEIGHBOUR"}}));
        else data_file(name + ".saf", make_saf({{name + ".gz", make_gzip(content)}, {"next", "NEIGHBOUR"}}));
        (void)file_list();
        return open_data_file(("@" + name).c_str(), "rb");
    }
    int serial = 0;
};

static const Kind ALL_KINDS[] = {MEMBER, PLAIN, GZIP_MEMBER};
static const char* kind_name(int kind) {
    return kind == 0 ? "archive member" : kind == 1 ? "plain file" : "gzip member";
}

TEST_F(StreamTest, MemberStreamStopsAtTheMembersEnd) {
    DataStream* s = open_over("abc\nde", MEMBER);
    ASSERT_NE(s, nullptr);
    char line[64];
    ASSERT_NE(data_gets(s, line, sizeof line), nullptr);
    EXPECT_STREQ(line, "abc\n");
    ASSERT_NE(data_gets(s, line, sizeof line), nullptr);
    EXPECT_STREQ(line, "de");
    EXPECT_EQ(data_gets(s, line, sizeof line), nullptr);
    EXPECT_EQ(data_getc(s), -1);
    EXPECT_EQ(data_peekc(s), -1);
    EXPECT_FALSE(data_error(s));
    close_data_file(s);

    s = open_over("0123456789", MEMBER);
    ASSERT_NE(s, nullptr);
    char bytes[100];
    EXPECT_EQ(data_read(s, bytes, sizeof bytes), 10);
    EXPECT_EQ(std::string(bytes, 10), "0123456789");
    EXPECT_EQ(data_read(s, bytes, sizeof bytes), 0);
    close_data_file(s);
}

TEST_F(StreamTest, ReadingOperationsAgreeAcrossSources) {
    const std::string content = "  7 x\n#c\nword\n";
    for (Kind kind : ALL_KINDS) {
        SCOPED_TRACE(kind_name(kind));
        DataStream* s = open_over(content, kind);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(data_peekc(s), ' ');
        EXPECT_EQ(data_peekc(s), ' ');
        EXPECT_EQ(data_tell(s), 0);
        EXPECT_EQ(data_skip_space(s), 2);
        EXPECT_EQ(data_read_int(s), 7);
        EXPECT_EQ(data_tell(s), 3);
        EXPECT_EQ(data_getc(s), ' ');
        EXPECT_EQ(data_getc(s), 'x');
        data_skip_comments(s);
        char word[16];
        EXPECT_EQ(data_scanf(s, "%15s", word), 1);
        EXPECT_STREQ(word, "word");
        EXPECT_EQ(data_skip_space(s), -1);
        EXPECT_EQ(data_scanf(s, "%15s", word), -1);
        EXPECT_EQ(data_read_int(s), INT_MIN);
        EXPECT_EQ(data_tell(s), (long)content.size());
        close_data_file(s);
    }
}

TEST_F(StreamTest, LongLinesAndSmallBuffers) {
    std::string content(3000, 'L');
    content += "\nshort\n";
    for (Kind kind : ALL_KINDS) {
        SCOPED_TRACE(kind_name(kind));
        DataStream* s = open_over(content, kind);
        ASSERT_NE(s, nullptr);
        char buffer[1024];
        ASSERT_NE(data_gets(s, buffer, sizeof buffer), nullptr);
        EXPECT_EQ(strlen(buffer), 1023u);  // one byte short of the buffer, NUL-terminated
        ASSERT_NE(data_gets(s, buffer, sizeof buffer), nullptr);
        ASSERT_NE(data_gets(s, buffer, sizeof buffer), nullptr);
        EXPECT_EQ(strlen(buffer), 3000u - 2046 + 1);  // the rest of the line and "\n"
        EXPECT_EQ(data_gets(s, buffer, 1), nullptr);  // no room for even one byte
        EXPECT_STREQ(buffer, "");
        ASSERT_NE(data_gets(s, buffer, 2), nullptr);
        EXPECT_STREQ(buffer, "s");
        ASSERT_NE(data_gets(s, buffer, sizeof buffer), nullptr);
        EXPECT_STREQ(buffer, "hort\n");
        EXPECT_EQ(data_gets(s, buffer, sizeof buffer), nullptr);
        close_data_file(s);
    }
}

// Prints the assignment count and the targets a format filled.
static std::string scan(DataStream* s, const char* format) {
    char text[128];
    if (strcmp(format, "%f %f") == 0) {
        float a = 0, b = 0;
        int n = data_scanf(s, "%f %f", &a, &b);
        snprintf(text, sizeof text, "%d: %g %g", n, a, b);
    } else if (strcmp(format, "%[a-z-]%*[^r]%s") == 0) {
        char a[16] = {}, b[16] = {};
        int n = data_scanf(s, "%15[a-z-]%*[^r]%15s", a, b);
        snprintf(text, sizeof text, "%d: %s %s", n, a, b);
    } else if (strcmp(format, "%c%c") == 0) {
        char a = 0, b = 0;
        int n = data_scanf(s, "%c%c", &a, &b);
        snprintf(text, sizeof text, "%d: %d %d", n, a, b);
    } else if (strcmp(format, "%ld %hd %Lf %lld") == 0) {
        long a = 0;
        short b = 0;
        long double d = 0;
        long long e = 0;
        int n = data_scanf(s, "%ld %hd %Lf %lld", &a, &b, &d, &e);
        snprintf(text, sizeof text, "%d: %ld %hd %Lg %lld", n, a, b, d, e);
    } else {
        // Up to four int targets; %n counts as a target but not an assignment.
        int v[4] = {};
        int n = data_scanf_ints(s, format, &v[0], &v[1], &v[2], &v[3]);
        snprintf(text, sizeof text, "%d: %d %d %d %d", n, v[0], v[1], v[2], v[3]);
    }
    return text;
}

// Whole lines of any length, the last one with or without its line feed.
TEST_F(StreamTest, WholeLinesOfAnyLength) {
    const std::string content = std::string(3000, 'L') + "\n\nlast";
    for (Kind kind : ALL_KINDS) {
        SCOPED_TRACE(kind_name(kind));
        DataStream* s = open_over(content, kind);
        ASSERT_NE(s, nullptr);
        std::string line;
        ASSERT_TRUE(data_read_line(s, &line));
        EXPECT_EQ(line, std::string(3000, 'L'));
        ASSERT_TRUE(data_read_line(s, &line));
        EXPECT_EQ(line, "");
        ASSERT_TRUE(data_read_line(s, &line));
        EXPECT_EQ(line, "last");
        EXPECT_FALSE(data_read_line(s, &line));
        EXPECT_EQ(line, "");
        close_data_file(s);
    }
}

TEST_F(StreamTest, FormattedReadsFollowTheCLibrary) {
    struct {
        const char* name;
        const char* input;
        const char* format;
        const char* want;
    } cases[] = {
        {"decimal, hex, octal, auto base", "-12 ff 17 0x1A", "%d %x %o %i", "4: -12 255 15 26"},
        {"upper-case hex", "BEEF", "%X", "1: 48879 0 0 0"},
        {"float with exponent", "1.5e2 -0.25", "%f %f", "2: 150 -0.25"},
        {"field width splits a number", "12345", "%2d%3d", "2: 12 345 0 0"},
        {"scan set with range and negation", "abc-def;rest", "%[a-z-]%*[^r]%s", "2: abc-def rest"},
        {"%c takes white space", " q", "%c%c", "2: 32 113"},
        {"%n counts characters so far", "  42 tail", "%d%n", "1: 42 4 0 0"},
        {"%% matches a percent sign", "50% 3", "%d%% %d", "2: 50 3 0 0"},
        {"suppressed conversions assign nothing", "9 8 7", "%*d %*d %d", "1: 7 0 0 0"},
        {"size prefixes", "70000 5 1e300 123456789012", "%ld %hd %Lf %lld", "4: 70000 5 1e+300 123456789012"},
        {"mismatch stops early", "5 x", "%d %d", "1: 5 0 0 0"},
        {"end before the first conversion", "   ", "%d", "-1: 0 0 0 0"},
        {"no match is zero, not the end", "x", "%d", "0: 0 0 0 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataStream* s = open_over(c.input, PLAIN);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(scan(s, c.format), c.want);
        close_data_file(s);
    }
}

TEST_F(StreamTest, CommentSkipping) {
    struct {
        const char* name;
        const char* input;
        int want;
    } cases[] = {
        {"indented then plain comment line", "   # first, indented\n# second\n42\n", 42},
        {"blank lines between", "\n\n# a\n\n\t# b\n  -3", -3},
        {"a lone # line", "#\n#\n8", 8},
        {"no comment at all", "17 # not a line start", 17},
        {"comment without a final newline", "5", 5},
    };
    for (Kind kind : ALL_KINDS) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind_name(kind)) + ": " + c.name);
            DataStream* s = open_over(c.input, kind);
            ASSERT_NE(s, nullptr);
            data_skip_comments(s);
            EXPECT_EQ(data_read_int(s), c.want);
            close_data_file(s);
        }
    }
    DataStream* s = open_over("# only a comment", MEMBER);
    ASSERT_NE(s, nullptr);
    data_skip_comments(s);
    EXPECT_EQ(data_getc(s), -1);
    close_data_file(s);
}

TEST_F(StreamTest, SeekStaysWithinTheMember) {
    DataStream* s = open_over("abcdef", MEMBER);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(data_getc(s), 'a');
    EXPECT_EQ(data_peekc(s), 'b');
    ASSERT_TRUE(data_seek(s, 4));  // drops the pushback
    EXPECT_EQ(data_tell(s), 4);
    EXPECT_EQ(data_getc(s), 'e');
    ASSERT_TRUE(data_seek(s, 0));
    EXPECT_EQ(data_getc(s), 'a');
    EXPECT_FALSE(data_seek(s, 6));  // must be below the member's length
    EXPECT_FALSE(data_seek(s, -1));
    ASSERT_TRUE(data_seek(s, 5));
    char rest[32];
    EXPECT_EQ(data_read(s, rest, sizeof rest), 1);
    EXPECT_EQ(rest[0], 'f');
    close_data_file(s);

    s = open_over("abcdef", GZIP_MEMBER);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(data_seek(s, 1));  // compressed streams do not seek
    EXPECT_EQ(data_getc(s), 'a');
    close_data_file(s);
}

TEST_F(StreamTest, LargeInflatedMemberMatchesItsSource) {
    std::string content;
    for (int i = 0; i < 20000; i++) content += std::to_string(i * 37 % 1001) + (i % 10 == 9 ? "\n" : " ");
    DataStream* s = open_over(content, GZIP_MEMBER);
    ASSERT_NE(s, nullptr);
    long sum = 0, want = 0;
    for (int i = 0; i < 20000; i++) want += i * 37 % 1001;
    int v;
    while (data_scanf(s, "%d", &v) == 1) sum += v;
    EXPECT_EQ(sum, want);
    EXPECT_FALSE(data_error(s));
    close_data_file(s);
}

TEST_F(StreamTest, WriteStreamRoundTrip) {
    DataStream* s = open_data_file("@out.txt", "wb");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(data_putc(s, 'A'), 'A');
    EXPECT_GE(data_puts(s, "BC"), 0);
    EXPECT_EQ(data_write(s, "\0D", 2), 2);
    EXPECT_EQ(data_printf(s, " %d %s\n", 12, "z"), 6);
    EXPECT_TRUE(data_flush(s));
    EXPECT_FALSE(data_error(s));
    EXPECT_EQ(data_tell(s), 11);
    close_data_file(s);
    EXPECT_EQ(root.read("xdg/Rutwise/out.txt"), std::string("ABC\0D 12 z\n", 11));

    // A read stream refuses writes.
    s = open_data_file("@out.txt", "rb");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(data_putc(s, 'x'), EOF);
    close_data_file(s);
    close_data_file(nullptr);
}
