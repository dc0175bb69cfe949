// Value on the loader's hot paths: Hash insert and lookup, Vector append, copy-then-write.
// Memory is reported by BM_MemoryPerElement as counters (bytes per element, from the heap's growth).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>
#include <thread>
#include <vector>

#include "value/body_pool.h"
#include "value/value.h"

using orvane::Value;

namespace {

constexpr int kKeys = 1'000'000;
constexpr int kIntegers = 10'000'000;
constexpr int kCopied = 100'000;

// Distinct, scattered names of a realistic length ("setting." and up to ten digits).
std::string keyName(int i) { return "setting." + std::to_string(static_cast<unsigned>(i) * 7919u); }

// Keys that differ only in trailing digits: the language's hash gives "key0".."key999999" only
// ~40,000 distinct values, some 25 keys to each.
std::string collidingName(int i) { return "key" + std::to_string(i); }

template <std::string (*Name)(int) = keyName>
std::vector<Value> makeKeys(int n) {
    std::vector<Value> keys;
    keys.reserve(n);
    for (int i = 0; i < n; ++i) keys.emplace_back(std::string_view(Name(i)));
    return keys;
}

std::vector<Value> makeCollidingKeys(int n) { return makeKeys<collidingName>(n); }

template <std::string (*Name)(int)>
void BM_HashInsert(benchmark::State& state) {
    const std::vector<Value> keys = makeKeys<Name>(kKeys);
    for (auto _ : state) {
        Value h;
        for (const Value& k : keys) h.entry(k).setInteger(1);
        benchmark::DoNotOptimize(h.size());
        state.PauseTiming();
        h = Value();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_HashInsert<keyName>)->Name("BM_HashInsert")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashInsert<collidingName>)->Name("BM_HashInsertColliding")->Unit(benchmark::kMillisecond);

template <std::string (*Name)(int)>
void BM_HashLookup(benchmark::State& state) {
    const std::vector<Value> keys = makeKeys<Name>(kKeys);
    Value h;
    for (const Value& k : keys) h.entry(k).setInteger(1);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (const Value& k : keys) sum += h.find(k).toInteger();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_HashLookup<keyName>)->Name("BM_HashLookup")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashLookup<collidingName>)->Name("BM_HashLookupColliding")->Unit(benchmark::kMillisecond);

// Erasing every key of the colliding table, in insertion order: each erasure closes a gap in the
// lookup index, which reads the keys of the entries it shifts back.
void BM_HashEraseColliding(benchmark::State& state) {
    const std::vector<Value> keys = makeCollidingKeys(kKeys);
    std::vector<std::u16string> names;
    names.reserve(keys.size());
    for (const Value& k : keys) names.push_back(k.toWideString());
    for (auto _ : state) {
        state.PauseTiming();
        Value h;
        for (const Value& k : keys) h.entry(k).setInteger(1);
        state.ResumeTiming();
        std::uint32_t erased = 0;
        for (const std::u16string& name : names) erased += h.eraseKey(name);
        benchmark::DoNotOptimize(erased);
        state.PauseTiming();
        h = Value();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_HashEraseColliding)->Unit(benchmark::kMillisecond);

void BM_VectorAppendIntegers(benchmark::State& state) {
    for (auto _ : state) {
        Value v;
        for (int i = 0; i < kIntegers; ++i) v.appendSlot().setInteger(i);
        benchmark::DoNotOptimize(v.size());
        state.PauseTiming();
        v = Value();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kIntegers);
}
BENCHMARK(BM_VectorAppendIntegers)->Unit(benchmark::kMillisecond);

void BM_HashCopyThenWrite(benchmark::State& state) {
    const std::vector<Value> keys = makeKeys(kCopied);
    Value h;
    for (const Value& k : keys) h.entry(k).setInteger(1);
    for (auto _ : state) {
        Value copy = h;
        copy.entry(keys[0]).setInteger(2);  // the one shallow copy of the table happens here
        benchmark::DoNotOptimize(copy.size());
    }
    state.SetItemsProcessed(state.iterations() * kCopied);
}
BENCHMARK(BM_HashCopyThenWrite)->Unit(benchmark::kMicrosecond);

// Building a container of a million Integers and releasing it again, both timed: the pool's
// allocation and free paths at full speed once the first round has filled the free lists.
// pool_bytes is what the pool reserved for the first build on a fresh thread (poolStats().reservedBytes).
template <bool kIsHash>
void BM_BuildAndRelease(benchmark::State& state) {
    const std::vector<Value> keys = kIsHash ? makeKeys(kKeys) : std::vector<Value>();
    auto build = [&] {
        Value c;
        if constexpr (kIsHash) {
            for (const Value& k : keys) c.entry(k).setInteger(1);
        } else {
            for (int i = 0; i < kKeys; ++i) c.appendSlot().setInteger(i);
        }
        return c;
    };
    double poolBytes = 0;
    std::thread([&] {
        const std::size_t before = orvane::detail::poolStats().reservedBytes;
        Value built = build();
        poolBytes = double(orvane::detail::poolStats().reservedBytes - before);
    }).join();
    for (auto _ : state) {
        Value c = build();
        benchmark::DoNotOptimize(c.size());
        c = Value();
    }
    state.counters["pool_bytes"] = poolBytes;
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_BuildAndRelease<false>)->Name("BM_BuildAndRelease/Vector")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildAndRelease<true>)->Name("BM_BuildAndRelease/Hash")->Unit(benchmark::kMillisecond);

// Many small Hashes, as a settings file of records or a deeply nested block makes them: 100,000
// Hashes of `entries` keys each, held in a Vector, built and released, both timed. The key handles
// are shared, so what is measured is the tables themselves and their Integer values.
constexpr int kSmallHashes = 100'000;

std::vector<Value> smallHashKeys(int entries) {
    std::vector<Value> keys;
    for (int i = 0; i < entries; ++i) keys.emplace_back(std::string_view("field" + std::to_string(i)));
    return keys;
}

void BM_HashBuildSmall(benchmark::State& state) {
    const std::vector<Value> keys = smallHashKeys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Value records;
        for (int r = 0; r < kSmallHashes; ++r) {
            Value& h = records.appendSlot();
            for (const Value& k : keys) h.entry(k).setInteger(r);
        }
        benchmark::DoNotOptimize(records.size());
        records = Value();
    }
    state.SetItemsProcessed(state.iterations() * kSmallHashes);
}
BENCHMARK(BM_HashBuildSmall)->Arg(3)->Arg(8)->Unit(benchmark::kMillisecond);

// Bytes per element, measured as the growth of the C heap (glibc's mallinfo2: every slab, every
// payload buffer, malloc's own headers) while the container is built on a fresh thread, so no body
// comes from a free list filled earlier. The key bodies and buffers of the Hash are built inside the
// measurement too: they belong to the entry.
template <class Build>
double heapBytesPerElement(int elements, Build build) {
    double result = 0;
    std::thread([&] {
        const struct mallinfo2 before = mallinfo2();
        Value built = build();
        const struct mallinfo2 after = mallinfo2();
        const double grown = double(after.uordblks + after.hblkhd) - double(before.uordblks + before.hblkhd);
        result = grown / elements;
    }).join();
    return result;
}

// Bytes per entry of kSmallHashes Hashes of `entries` keys each (shared key handles, so the table,
// its Hash body and the Integer values), measured as heapBytesPerElement does.
double smallHashBytesPerEntry(int entries) {
    const std::vector<Value> keys = smallHashKeys(entries);
    double result = 0;
    std::thread([&] {
        std::vector<Value> tables(kSmallHashes);  // outside the measurement: one handle per table
        const struct mallinfo2 before = mallinfo2();
        for (Value& h : tables)
            for (const Value& k : keys) h.entry(k).setInteger(1);
        const struct mallinfo2 after = mallinfo2();
        const double grown = double(after.uordblks + after.hblkhd) - double(before.uordblks + before.hblkhd);
        result = grown / (double(kSmallHashes) * entries);
    }).join();
    return result;
}

void BM_MemoryPerElement(benchmark::State& state) {
    for (auto _ : state) {
        state.counters["bytes_per_integer_element"] = heapBytesPerElement(kIntegers, [] {
            Value v;
            for (int i = 0; i < kIntegers; ++i) v.appendSlot().setInteger(i);
            return v;
        });
        state.counters["bytes_per_hash_entry"] = heapBytesPerElement(kKeys, [] {
            Value h;
            for (int i = 0; i < kKeys; ++i) h.entry(Value(std::string_view(keyName(i)))).setInteger(1);
            return h;
        });
        for (int n : {1, 3, 8, 30})
            state.counters["bytes_per_entry_hash_of_" + std::to_string(n)] = smallHashBytesPerEntry(n);
        state.counters["scalar_body_bytes"] = double(orvane::detail::kSmallBodySize);
        state.counters["string_body_bytes"] = double(orvane::detail::kLargeBodySize);
    }
}
BENCHMARK(BM_MemoryPerElement)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
