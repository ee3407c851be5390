// Checksums and the exact bytes of the requests the gimbal expects.
#include <gtest/gtest.h>

#include <cstring>

#include "frame.h"

using namespace cradle;

namespace {

const uint8_t kDigits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

template <typename Container>
void expectZeros(const Container& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

void expectTail(const Frame& frame, uint8_t low, uint8_t high) {
    EXPECT_EQ(frame[34], low);
    EXPECT_EQ(frame[35], high);
}

}  // namespace

TEST(Checksums, CheckValues) {
    EXPECT_EQ(crc16(kDigits, sizeof kDigits), 0xBB3D);
    EXPECT_EQ(crc16(nullptr, 0), 0);
    EXPECT_EQ(crc32Mpeg2(kDigits, sizeof kDigits), 0x0376E6E7u);
    EXPECT_EQ(crc32Mpeg2(nullptr, 0), 0xFFFFFFFFu);
}

TEST(Requests, FixedFramesHaveTheDocumentedBytes) {
    const Frame query = versionQuery();
    EXPECT_EQ(query[0], 0xEB);
    EXPECT_EQ(query[1], 0x90);
    EXPECT_EQ(query[2], 0x43);
    expectZeros(query, 3, 34);
    expectTail(query, 0xC7, 0xBB);

    expectTail(startApplication(), 0xC4, 0x27);
    expectTail(mechanismFirmware(), 0xC0, 0x47);

    const Frame start = singleUnitControl(control::kStart);
    const uint8_t startHead[] = {0xEB, 0x90, 0x4D, 0x00, 0x02, 0x27};
    EXPECT_EQ(std::memcmp(start.data(), startHead, sizeof startHead), 0);
    expectZeros(start, 6, 34);
    expectTail(start, 0x82, 0x6E);
    const Frame stop = singleUnitControl(control::kStop);
    EXPECT_EQ(stop[5], 0x26);
    expectTail(stop, 0x42, 0x6F);

    const Frame closing = parameterClosingWrite();
    EXPECT_EQ(closing[2], 0x72);
    EXPECT_EQ(closing[3], 0xFF);
    expectZeros(closing, 4, 34);
    expectTail(closing, 0xAD, 0x67);
}

TEST(Requests, CalibrationCarriesItsTypeInByteSeven) {
    const Frame frame = singleUnitControl(control::kCalibrate, 4);
    EXPECT_EQ(frame[4], 2);
    EXPECT_EQ(frame[5], 0x25);
    EXPECT_EQ(frame[7], 4);
    EXPECT_TRUE(headCrcValid(frame.data()));
}

TEST(Requests, ParameterWritePageIsALongFrame) {
    const uint8_t numbers[] = {1, 5, 7, 9, 20};
    const uint16_t values[] = {0x0102, 0x0304, 0xFFFF, 0, 0x8000};
    const Bytes frame = parameterWrite(numbers, values);
    ASSERT_EQ(frame.size(), 36u + 10u + 2u);
    EXPECT_EQ(frame[3], 5);
    EXPECT_EQ(std::memcmp(&frame[4], numbers, 5), 0);
    expectZeros(frame, 9, 34);
    EXPECT_TRUE(headCrcValid(frame.data()));
    EXPECT_EQ(frame[36], 0x02);
    EXPECT_EQ(frame[37], 0x01);
    EXPECT_EQ(frame[44], 0x00);
    EXPECT_EQ(frame[45], 0x80);
    EXPECT_EQ(getLe16(&frame[46]), crc16(&frame[36], 10));
}

TEST(Requests, FirmwareBlocksOfA257ByteImage) {
    Bytes image(257);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
    const uint32_t crc = crc32Mpeg2(image.data(), image.size());
    const size_t count = firmwareBlockCount(image.size());
    ASSERT_EQ(count, 2u);
    const Bytes first = firmwareBlock(8, image, crc, 0, count);
    const Bytes second = firmwareBlock(8, image, crc, 1, count);
    const Bytes closing = firmwareBlock(8, image, crc, 2, count);
    ASSERT_EQ(first.size(), 294u);
    ASSERT_EQ(second.size(), 39u);
    ASSERT_EQ(closing.size(), 36u);
    const uint8_t kinds[] = {1, 1, 2};
    const uint16_t numbers[] = {1, 2, 2};
    const uint16_t lengths[] = {256, 1, 0};
    const Bytes* frames[] = {&first, &second, &closing};
    for (int i = 0; i < 3; ++i) {
        const Bytes& f = *frames[i];
        EXPECT_TRUE(headCrcValid(f.data()));
        EXPECT_EQ(f[3], kinds[i]);
        EXPECT_EQ(f[4], 8);
        EXPECT_EQ(getLe16(&f[8]), 257);  // same image length and CRC in every head
        EXPECT_EQ(static_cast<uint32_t>(getLe16(&f[12]) | getLe16(&f[14]) << 16), crc);
        EXPECT_EQ(getLe16(&f[18]), numbers[i]);
        EXPECT_EQ(getLe16(&f[20]), lengths[i]);
    }
    EXPECT_EQ(std::memcmp(&first[36], image.data(), 256), 0);
    EXPECT_EQ(second[36], image[256]);
    EXPECT_EQ(getLe16(&second[37]), crc16(&image[256], 1));
}

TEST(Requests, ControlFrameCarriesUnitsItemAndData) {
    const std::array<uint8_t, 8> data = {1, 2, 3, 4, 5, 6, 0, 0};
    const Frame frame = controlFrame(12, control::kWriteItem, 7, data);
    EXPECT_EQ(frame[3], 0);
    EXPECT_EQ(frame[4], 12);
    EXPECT_EQ(frame[5], 0x22);
    EXPECT_EQ(frame[6], 7);
    EXPECT_EQ(std::memcmp(&frame[7], data.data(), 8), 0);
    expectZeros(frame, 15, 34);
}
