// UnionFind: disjoint sets over the elements 0 to n - 1, without ranks or sizes.
//
//   UnionFind sets(n);          // nothing added yet: every entry is -1
//   sets.add(i);                // i becomes a set of its own
//   int r = sets.find(i);       // root of i's set; compresses the path it walks
//   sets.unify(a, b);           // b must be a root: b's set joins a's, under a's root
//
// The caller decides which root survives a union; conncomp4 always keeps the smaller one.
// Not copyable: it owns its parent array.
#pragma once

class UnionFind {
  public:
    explicit UnionFind(int n);
    ~UnionFind();
    UnionFind(const UnionFind&) = delete;
    UnionFind& operator=(const UnionFind&) = delete;

    void add(int i) { parent[i] = i; }
    int find(int i);
    int unify(int a, int b);
    bool isRoot(int i) const { return parent[i] == i; }

  private:
    int* parent;  // -1 = not added, own index = root, anything else = parent element
    [[maybe_unused]] int elementCount;  // entries in parent; set once, read by no operation
};
