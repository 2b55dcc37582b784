# module/ alone knows every service: it uses every layer there is.
quorvel_layer(module USES base ${QUORVEL_SERVICE_LAYERS})
