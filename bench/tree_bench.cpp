// Tree building speed on token lists made directly (no scanning), sized by the length of the text
// they stand for. Run: <build>/bin/tree_bench
#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/tree_builder.h"

namespace {

using orvane::config::buildTree;
using orvane::config::Tree;
using orvane::config::Token;
using orvane::config::TokenKind;

struct TokenList {
    std::vector<Token> tokens;
    std::size_t textBytes = 0;  // length of the source text these tokens stand for
};

class Writer {
public:
    explicit Writer(TokenList& list) : list_(list) {}

    void op(TokenKind kind, std::size_t spelling) { add(kind, spelling); }
    void str(std::u16string text) {
        Token& t = add(TokenKind::String, text.size() + 2);
        t.text = std::move(text);
    }
    void num(int value) {
        Token& t = add(TokenKind::Integer, std::to_string(value).size());
        t.intValue = value;
    }
    void key(std::u16string name) {
        op(TokenKind::LBracket, 1);
        str(std::move(name));
        op(TokenKind::RBracket, 1);
    }

private:
    Token& add(TokenKind kind, std::size_t spelling) {
        Token& t = list_.tokens.emplace_back();
        t.kind = kind;
        t.pos = {line_, column_};
        column_ += static_cast<std::int32_t>(spelling + 1);
        list_.textBytes += spelling + 1;
        if (kind == TokenKind::Semicolon) {
            ++line_;
            column_ = 1;
        }
        return t;
    }

    TokenList& list_;
    std::int32_t line_ = 1;
    std::int32_t column_ = 1;
};

// A settings file's usual mix: paths assigned numbers and strings, vectors, blocks with arithmetic.
TokenList statements(std::size_t bytes) {
    TokenList list;
    Writer w(list);
    for (int i = 0; list.textBytes < bytes; ++i) {
        switch (i % 3) {
        case 0:  // ['Messenger'][7]['ConnectStatus'] = 2;
            w.key(u"Messenger");
            w.op(TokenKind::LBracket, 1);
            w.num(i);
            w.op(TokenKind::RBracket, 1);
            w.key(u"ConnectStatus");
            w.op(TokenKind::Assign, 1);
            w.num(2);
            break;
        case 1:  // ['list'] += 1, 2, 3, 4;
            w.key(u"list");
            w.op(TokenKind::PlusAssign, 2);
            for (int k = 1; k <= 4; ++k) {
                if (k > 1) w.op(TokenKind::Comma, 1);
                w.num(k);
            }
            break;
        default:  // ['block'] = { ['a'] = 'Playing on a server'; ['b'] = -4 * (i + 6); };
            w.key(u"block");
            w.op(TokenKind::Assign, 1);
            w.op(TokenKind::LBrace, 1);
            w.key(u"a");
            w.op(TokenKind::Assign, 1);
            w.str(u"Playing on a server");
            w.op(TokenKind::Semicolon, 1);
            w.key(u"b");
            w.op(TokenKind::Assign, 1);
            w.op(TokenKind::Minus, 1);
            w.num(4);
            w.op(TokenKind::Star, 1);
            w.op(TokenKind::LParen, 1);
            w.num(i);
            w.op(TokenKind::Plus, 1);
            w.num(6);
            w.op(TokenKind::RParen, 1);
            w.op(TokenKind::Semicolon, 1);
            w.op(TokenKind::RBrace, 1);
            break;
        }
        w.op(TokenKind::Semicolon, 1);
    }
    return list;
}

TokenList repeated(std::size_t count, TokenKind kind, std::size_t spelling) {
    TokenList list;
    Writer w(list);
    for (std::size_t i = 0; i < count; ++i) w.op(kind, spelling);
    return list;
}

TokenList longSum(std::size_t terms) {
    TokenList list;
    Writer w(list);
    for (std::size_t i = 0; i < terms; ++i) {
        if (i > 0) w.op(TokenKind::Plus, 1);
        w.num(static_cast<int>(i));
    }
    return list;
}

void run(benchmark::State& state, const TokenList& list) {
    for (auto _ : state) {
        auto tree = std::make_unique<Tree>();
        std::u16string error;
        if (!buildTree(error, list.tokens, *tree)) state.SkipWithError("the build failed");
        benchmark::DoNotOptimize(tree->root().kind);
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["tokens/s"] = benchmark::Counter(iterations * static_cast<double>(list.tokens.size()),
                                                    benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(iterations * static_cast<double>(list.textBytes) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["tokens"] = static_cast<double>(list.tokens.size());
}

// Lists are made once per size and kept: making them is not what is measured. One untimed build
// follows, so that a single timed iteration of a large list does not measure the kernel handing the
// process fresh pages instead of the builder.
const TokenList& cached(std::size_t megabytes) {
    static std::map<std::size_t, TokenList> lists;
    auto it = lists.find(megabytes);
    if (it == lists.end()) {
        it = lists.emplace(megabytes, statements(megabytes * 1'000'000)).first;
        Tree warmUp;
        std::u16string error;
        buildTree(error, it->second.tokens, warmUp);
    }
    return it->second;
}

void BM_Statements(benchmark::State& state) { run(state, cached(static_cast<std::size_t>(state.range(0)))); }
BENCHMARK(BM_Statements)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_DeepParentheses(benchmark::State& state) {
    static const TokenList list = [] {
        TokenList l = repeated(1'000'000, TokenKind::LParen, 1);
        TokenList closing = repeated(1'000'000, TokenKind::RParen, 1);
        l.tokens.insert(l.tokens.end(), closing.tokens.begin(), closing.tokens.end());
        l.textBytes += closing.textBytes;
        return l;
    }();
    run(state, list);
}
BENCHMARK(BM_DeepParentheses)->Unit(benchmark::kMillisecond);

void BM_DeepPrefixes(benchmark::State& state) {
    static const TokenList list = [] {
        TokenList l = repeated(1'000'000, TokenKind::Minus, 1);
        TokenList tail = longSum(1000);
        l.tokens.insert(l.tokens.end(), tail.tokens.begin(), tail.tokens.end());
        l.textBytes += tail.textBytes;
        return l;
    }();
    run(state, list);
}
BENCHMARK(BM_DeepPrefixes)->Unit(benchmark::kMillisecond);

void BM_LongSum(benchmark::State& state) {
    static const TokenList list = longSum(1'000'000);
    run(state, list);
}
BENCHMARK(BM_LongSum)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
