// The reader's answer: what the reader writes parses back, and anything the
// reader does not write (cut short, out of order, out of limits, trailing
// bytes) is refused.
#include <gtest/gtest.h>

#include <string>

#include "xls/cell_reply.h"

namespace {

class Recorder : public xls::CellSink {
  public:
    void sheet(const std::string& name) override { log += "S " + name + ";"; }
    void number(int row, int col, double value) override {
        log += "N " + std::to_string(row) + "," + std::to_string(col) + " " +
               std::to_string(value) + ";";
    }
    void text(int row, int col, const std::string& value) override {
        log += "T " + std::to_string(row) + "," + std::to_string(col) + " " + value + ";";
    }
    std::string log;
};

const char* const kGarbled = "the workbook reader gave a garbled answer";

// The error of parsing `answer`, which must be refused.
std::string refusal(const std::string& answer) {
    Recorder sink;
    std::string error;
    EXPECT_FALSE(xls::parseReply(answer, sink, error));
    return error;
}

}  // namespace

TEST(ReaderAnswer, WhatTheReaderWritesParsesBackAndNoPartOfItDoes) {
    xls::ReplyWriter writer(-1);
    writer.sheet("Sheet1");
    writer.number(0, 0, 1.5);
    writer.text(0, 1, "元件");
    writer.number(1, 0, -2);
    writer.number(65535, 255, 7);
    writer.sheet("第二");
    writer.text(3, 3, "");
    writer.sheet("empty");
    ASSERT_TRUE(writer.finish(true, ""));
    const std::string answer = writer.kept();

    Recorder sink;
    std::string error;
    ASSERT_TRUE(xls::parseReply(answer, sink, error)) << error;
    EXPECT_EQ(sink.log,
              "S Sheet1;N 0,0 1.500000;T 0,1 元件;N 1,0 -2.000000;N 65535,255 7.000000;"
              "S 第二;T 3,3 ;S empty;");
    for (size_t length = 0; length < answer.size(); ++length)
        EXPECT_EQ(refusal(answer.substr(0, length)), kGarbled) << length;
    EXPECT_EQ(refusal(answer + "E"), kGarbled);
}

TEST(ReaderAnswer, AFailureCarriesItsReasonFitForAMessage) {
    xls::ReplyWriter writer(-1);
    writer.sheet("Sheet1");
    writer.finish(false, "freexl error -3\n\x1b[31m");
    EXPECT_EQ(refusal(writer.kept()), "freexl error -3??[31m");
    EXPECT_EQ(refusal(writer.kept() + "x"), kGarbled);

    xls::ReplyWriter silent(-1);
    silent.finish(false, "");
    EXPECT_EQ(refusal(silent.kept()), "the workbook cannot be read");
}

TEST(ReaderAnswer, AnswersNoReaderWritesAreRefused) {
    // Each writer below writes what freexl's walk never produces.
    auto answer = [](auto write) {
        xls::ReplyWriter writer(-1);
        write(writer);
        writer.finish(true, "");
        return writer.kept();
    };
    EXPECT_EQ(refusal(answer([](auto& w) { w.number(0, 0, 1); })), kGarbled);  // no sheet yet
    EXPECT_EQ(refusal(answer([](auto& w) {
                  w.sheet("s");
                  w.number(0, 1, 1);
                  w.number(0, 1, 2);
              })),
              kGarbled);  // the same cell twice
    EXPECT_EQ(refusal(answer([](auto& w) {
                  w.sheet("s");
                  w.number(1, 0, 1);
                  w.text(0, 5, "x");
              })),
              kGarbled);  // a row before the last
    EXPECT_EQ(refusal(answer([](auto& w) {
                  w.sheet("s");
                  w.number(65536, 0, 1);
              })),
              kGarbled);
    EXPECT_EQ(refusal(answer([](auto& w) {
                  w.sheet("s");
                  w.text(0, 256, "x");
              })),
              kGarbled);
    EXPECT_EQ(refusal(answer([](auto& w) { w.sheet(std::string(2000, 'x')); })), kGarbled);

    const std::string good = answer([](auto& w) { w.sheet("s"); });
    EXPECT_EQ(refusal(good.substr(4)), kGarbled);  // no header
    std::string unknown = good;
    unknown[4] = 'Q';
    EXPECT_EQ(refusal(unknown), kGarbled);
}
