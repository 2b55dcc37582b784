# What this service sees besides itself: the layers it uses.
quorvel_layer(flaggame USES base gold)
