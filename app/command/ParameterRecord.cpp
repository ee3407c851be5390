#include "ParameterRecord.h"

#include <QtEndian>

namespace ParameterRecord {

bool encodeNumbers(Buffer& record, const QList<int>& numbers)
{
    if (numbers.size() > CRADLE_PARAM_MAX_COUNT)
        return false;
    record[CRADLE_PARAM_COUNT_OFFSET] = static_cast<unsigned char>(numbers.size());
    for (int i = 0; i < numbers.size(); ++i)
        record[CRADLE_PARAM_NUMBERS_OFFSET + i] = static_cast<unsigned char>(numbers[i]);
    return true;
}

bool encode(Buffer& record, const QList<int>& numbers, const QList<int>& values)
{
    if (values.size() < numbers.size() || !encodeNumbers(record, numbers))
        return false;
    for (int i = 0; i < numbers.size(); ++i)
        qToLittleEndian<quint16>(static_cast<quint16>(values[i]), record.data() + CRADLE_PARAM_VALUES_OFFSET + 2 * i);
    return true;
}

QList<Entry> decode(const QByteArray& record)
{
    QList<Entry> entries;
    if (record.size() <= CRADLE_PARAM_COUNT_OFFSET)
        return entries;
    const int count = qMin<int>(quint8(record.at(CRADLE_PARAM_COUNT_OFFSET)), CRADLE_PARAM_MAX_COUNT);
    for (int i = 0; i < count; ++i) {
        const int valueOffset = CRADLE_PARAM_VALUES_OFFSET + 2 * i;
        if (valueOffset + 2 > record.size())
            break;
        entries.append({quint8(record.at(CRADLE_PARAM_NUMBERS_OFFSET + i)),
                        qFromLittleEndian<qint16>(record.constData() + valueOffset)});
    }
    return entries;
}

} // namespace ParameterRecord
