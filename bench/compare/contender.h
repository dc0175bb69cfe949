// A library under comparison: loads text into its own document tree, prints that tree, and counts
// records in it. Each implementation holds at most one tree and one printed output at a time, so the
// harness can time a load or a print alone and release both outside the timed span.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "bench/compare/data_set.h"
#include "bench/compare/writers.h"

namespace orvane::compare {

class Contender {
public:
    virtual ~Contender() = default;

    virtual const char* name() const = 0;
    virtual Format format() const = 0;

    // Parses `text` into the held tree. False, with a one-line reason in `error`, when the library
    // refuses it. Called after release(), so the heap it adds is the tree and the parser's scratch.
    virtual bool load(const std::string& text, std::string& error) = 0;
    // Prints the held tree into an output held until dropOutput() or release(); its size in bytes.
    virtual std::size_t print() = 0;
    virtual void dropOutput() = 0;
    // The data set's count (see Shape) in the held tree; 0 when the tree lacks the expected shape.
    virtual std::size_t count(Shape shape) const = 0;
    virtual void release() = 0;  // the tree and the output
};

std::unique_ptr<Contender> makeLibconfig();
std::unique_ptr<Contender> makeYamlCpp();
std::unique_ptr<Contender> makeTomlpp();
std::unique_ptr<Contender> makeNlohmann();
std::unique_ptr<Contender> makeRapidJson();

}  // namespace orvane::compare
