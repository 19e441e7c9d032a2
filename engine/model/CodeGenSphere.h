// The generated sphere mesh behind a collision sphere's debug model.
#pragma once

namespace Varnok {

class GeneratedMesh;

// Fills mesh with one sub-mesh: a sphere of the given radius with ringCount
// rings and segmentCount segments as a triangle soup with the default
// material and depth-sorted index lists; the mesh is named "CodeGenSphere".
// Fewer than two rings or segments leave the mesh empty (logged).
void BuildCodeGenSphere(GeneratedMesh& mesh, float radius, int ringCount, int segmentCount);

// The shared debug sphere mesh (radius 1, 8 rings, 8 segments), made on the
// first call and kept for the run.
const GeneratedMesh& GetCodeGenSphere();

}  // namespace Varnok
