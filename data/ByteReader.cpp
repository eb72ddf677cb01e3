#include "data/ByteReader.h"

#include "base/MemoryStream.h"

ByteReader::ByteReader(const CMemoryStream& stream)
    : ByteReader(stream.GetBuffer(), stream.GetSize() > 0 ? static_cast<size_t>(stream.GetSize()) : 0)
{
}
