#pragma once
// The CSV import of files at the program's read limit, each in a process of its
// own: prints the seconds and peak memory of each shape.
namespace velmo::bench {

int csv_shapes_report();

}  // namespace velmo::bench
