// The tables of the gamma power (gamma_power.h), as the bits of doubles so that every compiler
// reads the same values: for each 128th i of [1, 2), c = 1 + (i + 0.5)/128, 1/c rounded to double
// and log2 c worked out from that double (log2 c = -log2(1/c)); and 2^(j/32). Each value is the
// double nearest to the exact one (scripts/gamma-power-tables works them out with 60 digits).
#include "gamma_power.h"

namespace gamma_power_detail {

const uint64_t kLog2Table[128][2] = {
    {0x3fefe01fe01fe020ull, 0x3f7709c46d7aac60ull}, // c = 1.00390625
    {0x3fefa11caa01fa12ull, 0x3f91363117a97b03ull}, // c = 1.01171875
    {0x3fef6310aca0dbb5ull, 0x3f9c9363ba850f9cull}, // c = 1.01953125
    {0x3fef25f644230ab5ull, 0x3fa3ed3094685a27ull}, // c = 1.02734375
    {0x3feee9c7f8458e02ull, 0x3fa985bfc3495193ull}, // c = 1.03515625
    {0x3feeae807aba01ebull, 0x3faf13898332539dull}, // c = 1.04296875
    {0x3fee741aa59750e4ull, 0x3fb24b5b7e135a41ull}, // c = 1.05078125
    {0x3fee3a9179dc1a73ull, 0x3fb507b836033bbaull}, // c = 1.05859375
    {0x3fee01e01e01e01eull, 0x3fb7beee96b8a281ull}, // c = 1.06640625
    {0x3fedca01dca01dcaull, 0x3fba7111df348494ull}, // c = 1.07421875
    {0x3fed92f2231e7f8aull, 0x3fbd1e34e35b82d7ull}, // c = 1.08203125
    {0x3fed5cac807572b2ull, 0x3fbfc66a0f0b00a5ull}, // c = 1.08984375
    {0x3fed272ca3fc5b1aull, 0x3fc134e1b4890631ull}, // c = 1.09765625
    {0x3fecf26e5c44bfc6ull, 0x3fc284294b07a640ull}, // c = 1.10546875
    {0x3fecbe6d9601cbe7ull, 0x3fc3d1146d9a8a63ull}, // c = 1.11328125
    {0x3fec8b265afb8a42ull, 0x3fc51bab907a5c8aull}, // c = 1.12109375
    {0x3fec5894d10d4986ull, 0x3fc663f6fac91315ull}, // c = 1.12890625
    {0x3fec26b5392ea01cull, 0x3fc7a9fec7d05de0ull}, // c = 1.13671875
    {0x3febf583ee868d8bull, 0x3fc8edcae8352b6bull}, // c = 1.14453125
    {0x3febc4fd65883e7bull, 0x3fca2f632320b86cull}, // c = 1.15234375
    {0x3feb951e2b18ff23ull, 0x3fcb6ecf175f95ecull}, // c = 1.16015625
    {0x3feb65e2e3beee05ull, 0x3fccac163c770dcaull}, // c = 1.16796875
    {0x3feb37484ad806ceull, 0x3fcde73fe3b1480eull}, // c = 1.17578125
    {0x3feb094b31d922a4ull, 0x3fcf205339208f27ull}, // c = 1.18359375
    {0x3feadbe87f94905eull, 0x3fd02baba24d0664ull}, // c = 1.19140625
    {0x3feaaf1d2f87ebfdull, 0x3fd0c62975542a8dull}, // c = 1.19921875
    {0x3fea82e65130e159ull, 0x3fd15fa676bb08feull}, // c = 1.20703125
    {0x3fea574107688a4aull, 0x3fd1f825f6d88e13ull}, // c = 1.21484375
    {0x3fea2c2a87c51ca0ull, 0x3fd28fab35b32684ull}, // c = 1.22265625
    {0x3fea01a01a01a01aull, 0x3fd32639636b2836ull}, // c = 1.23046875
    {0x3fe9d79f176b682dull, 0x3fd3bbd3a0a1dcfbull}, // c = 1.23828125
    {0x3fe9ae24ea5510daull, 0x3fd4507cfedd4fc5ull}, // c = 1.24609375
    {0x3fe9852f0d8ec0ffull, 0x3fd4e43880e8fb6bull}, // c = 1.25390625
    {0x3fe95cbb0be377aeull, 0x3fd577091b3378c9ull}, // c = 1.26171875
    {0x3fe934c67f9b2ce6ull, 0x3fd608f1b42948aeull}, // c = 1.26953125
    {0x3fe90d4f120190d5ull, 0x3fd699f5248cd4b8ull}, // c = 1.27734375
    {0x3fe8e6527af1373full, 0x3fd72a1637cbc183ull}, // c = 1.28515625
    {0x3fe8bfce8062ff3aull, 0x3fd7b957ac51aac4ull}, // c = 1.29296875
    {0x3fe899c0f601899cull, 0x3fd847bc33d8618eull}, // c = 1.30078125
    {0x3fe87427bcc092b9ull, 0x3fd8d54673b5c371ull}, // c = 1.30859375
    {0x3fe84f00c2780614ull, 0x3fd961f90527409bull}, // c = 1.31640625
    {0x3fe82a4a0182a4a0ull, 0x3fd9edd6759b25e0ull}, // c = 1.32421875
    {0x3fe8060180601806ull, 0x3fda78e146f7bef4ull}, // c = 1.33203125
    {0x3fe7e225515a4f1dull, 0x3fdb031befe06435ull}, // c = 1.33984375
    {0x3fe7beb3922e017cull, 0x3fdb8c88dbf88679ull}, // c = 1.34765625
    {0x3fe79baa6bb6398bull, 0x3fdc152a6c24cae7ull}, // c = 1.35546875
    {0x3fe77908119ac60dull, 0x3fdc9d02f6ca47b5ull}, // c = 1.36328125
    {0x3fe756cac201756dull, 0x3fdd2414c80bf27cull}, // c = 1.37109375
    {0x3fe734f0c541fe8dull, 0x3fddaa6222064fb8ull}, // c = 1.37890625
    {0x3fe713786d9c7c09ull, 0x3fde2fed3d097297ull}, // c = 1.38671875
    {0x3fe6f26016f26017ull, 0x3fdeb4b847d15bceull}, // c = 1.39453125
    {0x3fe6d1a62681c861ull, 0x3fdf38c567bcc541ull}, // c = 1.40234375
    {0x3fe6b1490aa31a3dull, 0x3fdfbc16b902680aull}, // c = 1.41015625
    {0x3fe691473a88d0c0ull, 0x3fe01f57277264e0ull}, // c = 1.41796875
    {0x3fe6719f3601671aull, 0x3fe0604719f24eb2ull}, // c = 1.42578125
    {0x3fe6524f853b4aa3ull, 0x3fe0a0dc34f8e1fcull}, // c = 1.43359375
    {0x3fe63356b88ac0deull, 0x3fe0e117754d7c11ull}, // c = 1.44140625
    {0x3fe614b36831ae94ull, 0x3fe120f9d39e1806ull}, // c = 1.44921875
    {0x3fe5f66434292dfcull, 0x3fe160844495e006ull}, // c = 1.45703125
    {0x3fe5d867c3ece2a5ull, 0x3fe19fb7b8f32422ull}, // c = 1.46484375
    {0x3fe5babcc647fa91ull, 0x3fe1de951d9cbba7ull}, // c = 1.47265625
    {0x3fe59d61f123ccaaull, 0x3fe21d1d5bb6d59bull}, // c = 1.48046875
    {0x3fe5805601580560ull, 0x3fe25b5158b73d05ull}, // c = 1.48828125
    {0x3fe56397ba7c52e2ull, 0x3fe29931f6791560ull}, // c = 1.49609375
    {0x3fe54725e6bb82feull, 0x3fe2d6c013501380ull}, // c = 1.50390625
    {0x3fe52aff56a8054bull, 0x3fe313fc8a1b36f2ull}, // c = 1.51171875
    {0x3fe50f22e111c4c5ull, 0x3fe350e8325707daull}, // c = 1.51953125
    {0x3fe4f38f62dd4c9bull, 0x3fe38d83e02f5d08ull}, // c = 1.52734375
    {0x3fe4d843bedc2c4cull, 0x3fe3c9d06490ae11ull}, // c = 1.53515625
    {0x3fe4bd3edda68fe1ull, 0x3fe405ce8d38f4bcull}, // c = 1.54296875
    {0x3fe4a27fad76014aull, 0x3fe4417f24c82165ull}, // c = 1.55078125
    {0x3fe4880522014880ull, 0x3fe47ce2f2d02588ull}, // c = 1.55859375
    {0x3fe46dce34596066ull, 0x3fe4b7fabbe49796ull}, // c = 1.56640625
    {0x3fe453d9e2c776caull, 0x3fe4f2c741a9f33eull}, // c = 1.57421875
    {0x3fe43a2730abee4dull, 0x3fe52d4942e4790aull}, // c = 1.58203125
    {0x3fe420b5265e5951ull, 0x3fe567817b86b02dull}, // c = 1.58984375
    {0x3fe40782d10e6566ull, 0x3fe5a170a4bf8d5cull}, // c = 1.59765625
    {0x3fe3ee8f42a5af07ull, 0x3fe5db177508413cull}, // c = 1.60546875
    {0x3fe3d5d991aa75c6ull, 0x3fe61476a031b108ull}, // c = 1.61328125
    {0x3fe3bd60d9232955ull, 0x3fe64d8ed7719beeull}, // c = 1.62109375
    {0x3fe3a524387ac822ull, 0x3fe68660c96f6f88ull}, // c = 1.62890625
    {0x3fe38d22d366088eull, 0x3fe6beed2250cdadull}, // c = 1.63671875
    {0x3fe3755bd1c945eeull, 0x3fe6f7348bc5c617ull}, // c = 1.64453125
    {0x3fe35dce5f9f2af8ull, 0x3fe72f37ad14c5b0ull}, // c = 1.65234375
    {0x3fe34679ace01346ull, 0x3fe766f72b263defull}, // c = 1.66015625
    {0x3fe32f5ced6a1dfaull, 0x3fe79e73a8900620ull}, // c = 1.66796875
    {0x3fe3187758e9ebb6ull, 0x3fe7d5adc5a078a4ull}, // c = 1.67578125
    {0x3fe301c82ac40260ull, 0x3fe80ca620694df9ull}, // c = 1.68359375
    {0x3fe2eb4ea1fed14bull, 0x3fe8435d54ca3774ull}, // c = 1.69140625
    {0x3fe2d50a012d50a0ull, 0x3fe879d3fc7b3b71ull}, // c = 1.69921875
    {0x3fe2bef98e5a3711ull, 0x3fe8b00aaf16d4a9ull}, // c = 1.70703125
    {0x3fe2a91c92f3c105ull, 0x3fe8e6020223d661ull}, // c = 1.71484375
    {0x3fe293725bb804a5ull, 0x3fe91bba891f1708ull}, // c = 1.72265625
    {0x3fe27dfa38a1ce4dull, 0x3fe95134d584e2e4ull}, // c = 1.73046875
    {0x3fe268b37cd60127ull, 0x3fe9867176da382dull}, // c = 1.73828125
    {0x3fe2539d7e9177b2ull, 0x3fe9bb70fab5ce4dull}, // c = 1.74609375
    {0x3fe23eb79717605bull, 0x3fe9f033ecc8e957ull}, // c = 1.75390625
    {0x3fe22a0122a0122aull, 0x3fea24bad6e7fb77ull}, // c = 1.76171875
    {0x3fe21579804855e6ull, 0x3fea590641131564ull}, // c = 1.76953125
    {0x3fe2012012012012ull, 0x3fea8d16b17e2745ull}, // c = 1.77734375
    {0x3fe1ecf43c7fb84cull, 0x3feac0ecac99133cull}, // c = 1.78515625
    {0x3fe1d8f5672e4abdull, 0x3feaf488b51792d4ull}, // c = 1.79296875
    {0x3fe1c522fc1ce059ull, 0x3feb27eb4bf8f08aull}, // c = 1.80078125
    {0x3fe1b17c67f2bae3ull, 0x3feb5b14f08f9665ull}, // c = 1.80859375
    {0x3fe19e0119e0119eull, 0x3feb8e0620887309ull}, // c = 1.81640625
    {0x3fe18ab083902bdbull, 0x3febc0bf57f23605ull}, // c = 1.82421875
    {0x3fe1778a191bd684ull, 0x3febf341114464a7ull}, // c = 1.83203125
    {0x3fe1648d50fc3201ull, 0x3fec258bc5664829ull}, // c = 1.83984375
    {0x3fe151b9a3fdd5c9ull, 0x3fec579febb5b657ull}, // c = 1.84765625
    {0x3fe13f0e8d344724ull, 0x3fec897dfa0db58eull}, // c = 1.85546875
    {0x3fe12c8b89edc0acull, 0x3fecbb2664ccfcf5ull}, // c = 1.86328125
    {0x3fe11a3019a74826ull, 0x3fecec999edc5204ull}, // c = 1.87109375
    {0x3fe107fbbe011080ull, 0x3fed1dd819b4c3f0ull}, // c = 1.87890625
    {0x3fe0f5edfab325a2ull, 0x3fed4ee24565c62aull}, // c = 1.88671875
    {0x3fe0e40655826011ull, 0x3fed7fb8909b2a6cull}, // c = 1.89453125
    {0x3fe0d24456359e3aull, 0x3fedb05b68a2fb64ull}, // c = 1.90234375
    {0x3fe0c0a7868b4171ull, 0x3fede0cb397338a3ull}, // c = 1.91015625
    {0x3fe0af2f722eecb5ull, 0x3fee11086daf7497ull}, // c = 1.91796875
    {0x3fe09ddba6af8360ull, 0x3fee41136eae553dull}, // c = 1.92578125
    {0x3fe08cabb37565e2ull, 0x3fee70eca47ef86full}, // c = 1.93359375
    {0x3fe07b9f29b8eae2ull, 0x3feea09475ee3c39ull}, // c = 1.94140625
    {0x3fe06ab59c7912fbull, 0x3feed00b488bec24ull}, // c = 1.94921875
    {0x3fe059eea0727586ull, 0x3feeff5180afd3e5ull}, // c = 1.95703125
    {0x3fe04949cc1664c5ull, 0x3fef2e67817eb846ull}, // c = 1.96484375
    {0x3fe038c6b78247fcull, 0x3fef5d4dacef36beull}, // c = 1.97265625
    {0x3fe02864fc7729e9ull, 0x3fef8c0463ce8c68ull}, // c = 1.98046875
    {0x3fe0182436517a37ull, 0x3fefba8c05c544e0ull}, // c = 1.98828125
    {0x3fe0080402010080ull, 0x3fefe8e4f15bd1a1ull}, // c = 1.99609375
};

const uint64_t kExp2Table[32] = {
    0x3ff0000000000000ull, // 2^(0/32)
    0x3ff059b0d3158574ull, // 2^(1/32)
    0x3ff0b5586cf9890full, // 2^(2/32)
    0x3ff11301d0125b51ull, // 2^(3/32)
    0x3ff172b83c7d517bull, // 2^(4/32)
    0x3ff1d4873168b9aaull, // 2^(5/32)
    0x3ff2387a6e756238ull, // 2^(6/32)
    0x3ff29e9df51fdee1ull, // 2^(7/32)
    0x3ff306fe0a31b715ull, // 2^(8/32)
    0x3ff371a7373aa9cbull, // 2^(9/32)
    0x3ff3dea64c123422ull, // 2^(10/32)
    0x3ff44e086061892dull, // 2^(11/32)
    0x3ff4bfdad5362a27ull, // 2^(12/32)
    0x3ff5342b569d4f82ull, // 2^(13/32)
    0x3ff5ab07dd485429ull, // 2^(14/32)
    0x3ff6247eb03a5585ull, // 2^(15/32)
    0x3ff6a09e667f3bcdull, // 2^(16/32)
    0x3ff71f75e8ec5f74ull, // 2^(17/32)
    0x3ff7a11473eb0187ull, // 2^(18/32)
    0x3ff82589994cce13ull, // 2^(19/32)
    0x3ff8ace5422aa0dbull, // 2^(20/32)
    0x3ff93737b0cdc5e5ull, // 2^(21/32)
    0x3ff9c49182a3f090ull, // 2^(22/32)
    0x3ffa5503b23e255dull, // 2^(23/32)
    0x3ffae89f995ad3adull, // 2^(24/32)
    0x3ffb7f76f2fb5e47ull, // 2^(25/32)
    0x3ffc199bdd85529cull, // 2^(26/32)
    0x3ffcb720dcef9069ull, // 2^(27/32)
    0x3ffd5818dcfba487ull, // 2^(28/32)
    0x3ffdfc97337b9b5full, // 2^(29/32)
    0x3ffea4afa2a490daull, // 2^(30/32)
    0x3fff50765b6e4540ull, // 2^(31/32)
};

} // namespace gamma_power_detail
