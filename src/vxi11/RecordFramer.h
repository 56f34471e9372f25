#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// ONC RPC's record marking on a stream: each fragment has a 4-byte header, its top bit set on
// the last fragment of a record, its other 31 bits the fragment's length.
class RecordFramer {
public:
    explicit RecordFramer(std::size_t longest) : longest_(longest) {}

    // Gives each whole record to onRecord, which says whether to go on with the rest. False
    // when it said no, or a record would pass the limit: the stream cannot be followed past
    // it.
    bool take(std::string_view bytes, const std::function<bool(std::string_view)>& onRecord);
    // Whether part of a record has come without its end.
    bool midRecord() const { return !header_.empty() || inFragment_ || !record_.empty(); }

    // A record as one last fragment.
    static std::string frame(std::string_view record);

private:
    std::size_t longest_;
    std::string header_;  // the bytes of a fragment header so far
    std::size_t fragmentLeft_ = 0;
    bool inFragment_ = false;
    bool lastFragment_ = false;
    std::string record_;
};
