# base/ knows no service and uses no other layer.
quorvel_layer(base)
