#include "ParameterRecord.h"

#include <vector>

#include "parameter_record.h"

// The byte layout is the engine's; this keeps the Qt lists the worker and controllers hold.
namespace ParameterRecord {

bool encodeNumbers(Buffer& record, const QList<int>& numbers)
{
    return procedures::parameter_record::encodeNumbers(record, std::vector<int>(numbers.begin(), numbers.end()));
}

bool encode(Buffer& record, const QList<int>& numbers, const QList<int>& values)
{
    return procedures::parameter_record::encode(record, std::vector<int>(numbers.begin(), numbers.end()),
                                                std::vector<int>(values.begin(), values.end()));
}

QList<Entry> decode(const QByteArray& record)
{
    QList<Entry> entries;
    for (const auto& e : procedures::parameter_record::decode(reinterpret_cast<const unsigned char*>(record.constData()),
                                                              size_t(record.size())))
        entries.append({e.number, static_cast<short>(e.value)});
    return entries;
}

} // namespace ParameterRecord
