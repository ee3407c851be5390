#ifndef PARAMETERRECORD_H
#define PARAMETERRECORD_H

#include "Cradle.h"

#include <QByteArray>
#include <QList>

#include <array>

// The 52-byte parameter record the library reads and fills: a count, the parameter numbers and their
// 16-bit little-endian values. The worker encodes requests with it, the controllers decode replies.
namespace ParameterRecord {

using Buffer = std::array<unsigned char, CRADLE_PARAM_RECORD_SIZE>;  // the engine's record

struct Entry {
    int number;
    short value;
};

// Count and numbers, as a download asks for them; false, with the record untouched, for more numbers
// than CRADLE_PARAM_MAX_COUNT.
bool encodeNumbers(Buffer& record, const QList<int>& numbers);

// Count, numbers and values, as an upload sends them; false, with the record untouched, also when
// there are fewer values than numbers.
bool encode(Buffer& record, const QList<int>& numbers, const QList<int>& values);

// The entries a reply holds in full, in record order. A count beyond the record's room or a reply
// cut short yields only what is really there.
QList<Entry> decode(const QByteArray& record);

} // namespace ParameterRecord

#endif // PARAMETERRECORD_H
