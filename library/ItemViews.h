// The C structs the getters and the streaming callback fill: views of the
// loaded scene's items, pointing into the scene.
#pragma once

#include "library/LoadedScene.h"

void ViewMaterial(const LoadedMaterial& loaded, kvd_material& material);
void ViewCamera(const LoadedCamera& loaded, bool isDefault, kvd_camera& camera);
void ViewMesh(const LoadedMesh& loaded, kvd_mesh& mesh);
void ViewNode(const LoadedNode& loaded, kvd_node& node);
void ViewMessage(const LoadedMessage& loaded, kvd_message& message);
